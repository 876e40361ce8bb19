#!/usr/bin/env node
// Converts Natural Earth's 1:50m land polygons, as redistributed in TopoJSON by the npm
// package world-atlas, into the compact outline file the map window embeds:
//
//   node tools/map_data/make_land.mjs [output file]     (default resources/map/land-50m.bin)
//
// The package is fetched once with `npm pack` into a temporary folder; nothing else is
// needed. The program itself never reaches the network.
//
// Output format, every integer little-endian or LEB128:
//   "KLND" magic, then the version byte 1
//   ring count (varint)
//   per ring: point count (varint), then for each point the longitude and latitude in
//   hundredths of a degree as zig-zag varints, the first point absolute, each further one
//   as the difference to the one before. The closing point equal to the first is left out.
// Every ring is a closed spherical outline with the filled side on its right when walked:
// outer coasts clockwise seen from above (land on the right), lake rings turned the other
// way (lake on the right) so that an even-odd fill of all the rings gives the land.

import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";

const PACKAGE = "world-atlas@2.0.2";
const SOURCE = "land-50m.json";
const output = resolve(process.argv[2] ?? "resources/map/land-50m.bin");

function fetchTopology() {
  const dir = mkdtempSync(join(tmpdir(), "kestrav-land-"));
  try {
    const tarball = execFileSync("npm", ["pack", PACKAGE, "--silent"], { cwd: dir })
      .toString().trim().split("\n").pop();
    execFileSync("tar", ["xzf", tarball, `package/${SOURCE}`], { cwd: dir });
    return JSON.parse(readFileSync(join(dir, "package", SOURCE), "utf8"));
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// TopoJSON arcs are delta-encoded quantized positions; a negative index is an arc walked
// backwards, and consecutive arcs of a ring share their joining point.
function rings(topology) {
  const [sx, sy] = topology.transform.scale;
  const [tx, ty] = topology.transform.translate;
  const arcs = topology.arcs.map((arc) => {
    let x = 0, y = 0;
    return arc.map(([dx, dy]) => { x += dx; y += dy; return [x * sx + tx, y * sy + ty]; });
  });
  const ring = (ids) => {
    const points = [];
    for (const id of ids) {
      const arc = id < 0 ? arcs[~id].slice().reverse() : arcs[id];
      points.push(...(points.length ? arc.slice(1) : arc));
    }
    return points;
  };
  const out = [];
  for (const geometry of topology.objects.land.geometries) {
    const polygons = geometry.type === "Polygon" ? [geometry.arcs] : geometry.arcs;
    for (const polygon of polygons) {
      polygon.forEach((ids, index) => {
        const points = ring(ids);
        // A hole is a lake: turned so that its filled side, the lake, is on the right.
        out.push({ points: index === 0 ? points : points.reverse(), hole: index > 0 });
      });
    }
  }
  return out;
}

const quantize = (v) => Math.round(v * 100);

function encode(list) {
  const bytes = [];
  const varint = (n) => {
    do {
      let b = n % 128;
      n = Math.floor(n / 128);
      if (n > 0) b |= 0x80;
      bytes.push(b);
    } while (n > 0);
  };
  const zigzag = (n) => varint(n >= 0 ? 2 * n : -2 * n - 1);
  bytes.push(..."KLND".split("").map((c) => c.charCodeAt(0)), 1);
  varint(list.length);
  for (const points of list) {
    varint(points.length);
    let px = 0, py = 0;
    for (const [x, y] of points) {
      zigzag(x - px);
      zigzag(y - py);
      px = x;
      py = y;
    }
  }
  return Buffer.from(bytes);
}

const kept = [];
let dropped = 0;
for (const { points, hole } of rings(fetchTopology())) {
  // Stitching the polygons round the globe leaves a hole of a few metres at the South
  // Pole; it is no lake.
  if (hole && points.every(([, lat]) => lat < -89.9)) { dropped++; continue; }
  const q = [];
  for (const [lon, lat] of points) {
    const p = [quantize(lon), quantize(lat)];
    const last = q[q.length - 1];
    if (!last || last[0] !== p[0] || last[1] !== p[1]) q.push(p);
  }
  if (q.length > 1 && q[0][0] === q[q.length - 1][0] && q[0][1] === q[q.length - 1][1]) q.pop();
  if (q.length < 3) { dropped++; continue; }
  kept.push(q);
}
const file = encode(kept);
writeFileSync(output, file);
const total = kept.reduce((s, r) => s + r.length, 0);
console.log(`${output}: ${kept.length} rings, ${total} points, ${file.length} bytes ` +
            `(${dropped} rings left out)`);

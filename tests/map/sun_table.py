#!/usr/bin/python3
# The reference table of tests/map/sun_test.cpp, computed once with PyEphem (Debian's
# python3-ephem): the Sun's apparent declination, the equation of time and the subsolar
# longitude at given instants, and sunrise and sunset (the centre at -0:50, no refraction) at
# a few places and dates. Prints the rows as they stand in the test; no test runs it.
import ephem, math
def hm(d): return ephem.Date(d).datetime().strftime('%Y-%m-%dT%H:%M:%S')
print('// position rows: utc, declination, equation of time (min), subsolar longitude')
for t in ['1950-01-01 06:00','2026-02-11 12:00','2026-03-20 14:46','2026-06-21 08:24',
          '2026-09-23 00:05','2026-11-03 17:30','2026-12-21 20:50','2100-07-15 21:15']:
    o = ephem.Observer(); o.lon='0'; o.lat='0'; o.elevation=0; o.pressure=0; o.date=t
    s = ephem.Sun(); s.compute(ephem.Date(t))
    gast = o.sidereal_time()
    ha = (gast - s.ra)  # Greenwich hour angle, radians
    ut = (ephem.Date(t) % 1 + 0.5) % 1 * 2*math.pi
    eot = math.remainder(ha + math.pi - ut, 2*math.pi) * 720/math.pi
    lon = math.degrees(math.remainder(s.ra - gast, 2*math.pi))
    print('{"%s", %.4f, %.3f, %.4f},' % (hm(ephem.Date(t)), math.degrees(s.dec), eot, lon))
print('// event rows: latitude, longitude, date, sunrise, sunset (or polar)')
places = {'Paris':(48.854,2.375),'Tokyo':(35.68,139.69),'Sydney':(-33.87,151.21),
          'Honolulu':(21.31,-157.86),'Tromso':(69.65,18.96),'McMurdo':(-77.85,166.67)}
rows = [('Paris','1950-01-01'),('Paris','2026-06-21'),('Tokyo','2026-03-20'),
        ('Sydney','2026-12-21'),('Honolulu','2026-09-23'),('Honolulu','2100-12-31'),
        ('Tromso','2026-06-21'),('Tromso','2026-12-21'),('McMurdo','2026-06-21'),('McMurdo','2026-03-20')]
for name,date in rows:
    lat,lon = places[name]
    o = ephem.Observer(); o.lat=str(lat); o.lon=str(lon); o.elevation=0; o.pressure=0
    o.horizon='-0:50'
    noon = ephem.Date(ephem.Date(date) + 0.5 - lon/360.0)
    o.date = noon
    s = ephem.Sun()
    try:
        r = hm(o.previous_rising(s, start=noon, use_center=True)); st = hm(o.next_setting(s, start=noon, use_center=True))
        print('{%.3f, %.3f, "%s", "%s", "%s"}, // %s' % (lat,lon,date,r,st,name))
    except ephem.AlwaysUpError:
        print('{%.3f, %.3f, "%s", "", "", true}, // %s, polar day' % (lat,lon,date,name))
    except ephem.NeverUpError:
        print('{%.3f, %.3f, "%s", "", "", false}, // %s, polar night' % (lat,lon,date,name))

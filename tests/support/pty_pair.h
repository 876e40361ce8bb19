#pragma once
// Test helpers: a pseudo-terminal whose slave the port component opens through a
// ports/COMn link, while the test plays the controller on the master side.

#include <QByteArray>
#include <QString>

struct PtyPair {
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // Reads from the master until `count` bytes arrived or `timeoutMs` passed.
    QByteArray readMaster(int count, int timeoutMs = 2000);
    void writeMaster(const QByteArray& bytes);
    void closeMaster();
    // Bytes waiting in the slave's input queue.
    int slaveInputQueued() const;

    int master = -1;
    int slave = -1; // the test's own descriptor, for reading back line settings
    QString slaveName;
};

// Makes <directory>/ports/<name> a symbolic link to target.
bool link_port(const QString& directory, const QString& name, const QString& target);

// Whether a fresh descriptor of path can take the exclusive lock (nobody holds the port).
bool port_lock_free(const QString& path);

// A private Firebird server for one test or benchmark: a free loopback port, and
// scripts/fbserver.sh started and stopped for it (never the system's service).
#pragma once

#include <QProcess>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

/// A loopback port nobody listens on now.
inline int FreeLoopbackPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

/// Runs `script` ("start DIR PORT" or "stop DIR"); true when it succeeded within a minute.
inline bool PrivateServer(const QString& script, const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("bash"), QStringList{script} + args);
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

#include "httpsserver.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>

bool HttpsServer::start(const QString &cert, const QString &key) {
    const auto certs = QSslCertificate::fromPath(cert);
    QFile keyFile(key);
    if (certs.isEmpty() || !keyFile.open(QIODevice::ReadOnly)) return false;
    m_conf = QSslConfiguration::defaultConfiguration();
    m_conf.setLocalCertificate(certs.first());
    m_conf.setPrivateKey(QSslKey(&keyFile, QSsl::Ec));
    m_conf.setPeerVerifyMode(QSslSocket::VerifyNone);
    return listen(QHostAddress::LocalHost, 0);
}

void HttpsServer::release() {
    for (const Held &h : std::as_const(m_held)) {
        if (!h.socket) continue;
        h.socket->write(h.rest);
        h.socket->disconnectFromHost();
    }
    m_held.clear();
}

void HttpsServer::incomingConnection(qintptr fd) {
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(fd)) {
        delete socket;
        return;
    }
    socket->setSslConfiguration(m_conf);
    connect(socket, &QSslSocket::readyRead, this, [this, socket] { serve(socket); });
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    socket->startServerEncryption();
}

void HttpsServer::serve(QSslSocket *socket) {
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n")) return;
    const QByteArray path = request.left(request.indexOf("\r\n")).split(' ').value(1);
    requests << path;
    const auto it = files.constFind(path);
    if (it == files.constEnd()) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    } else if (it->mode == Mode::Endless) {
        // Streams for as long as the client keeps reading.
        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        auto more = [socket] {
            if (socket->encryptedBytesToWrite() + socket->bytesToWrite() < 256 * 1024)
                socket->write(QByteArray(64 * 1024, 'x'));
        };
        connect(socket, &QSslSocket::encryptedBytesWritten, socket, more);
        more();
        return;
    } else {
        const QByteArray head =
            "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + QByteArray::number(it->body.size()) +
            "\r\n\r\n";
        const qsizetype half = it->body.size() / 2;
        switch (it->mode) {
        case Mode::Held:
            socket->write(head + it->body.left(half));
            m_held.append({socket, it->body.mid(half)});
            return;
        case Mode::CloseEarly: socket->write(head + it->body.left(half)); break;
        default: socket->write(head + it->body); break;
        }
    }
    socket->disconnectFromHost();
}

bool makeCert(const QString &dir, const QString &name) {
    QProcess p;
    p.start(QStringLiteral("openssl"),
            {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
             dir + "/" + name + ".key", "-out", dir + "/" + name + ".pem", "-days", "2", "-subj",
             "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A local HTTPS server for the online update tests: files served from memory
// on 127.0.0.1 with a certificate made for the test.
#pragma once

#include <QMap>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>

// Serves files from memory, one request per connection.
class HttpsServer : public QTcpServer {
public:
    enum class Mode {
        Normal,
        CloseEarly,  // half the body, then the connection closes
        Endless,     // a body that never ends
        Held,        // half the body, the rest once release() is called
    };
    struct File {
        QByteArray body;
        Mode mode = Mode::Normal;
    };
    QMap<QByteArray, File> files;
    QList<QByteArray> requests;

    bool start(const QString &cert, const QString &key);
    QString base() const { return QStringLiteral("https://127.0.0.1:%1").arg(serverPort()); }
    // Bodies held back so far.
    int held() const { return int(m_held.size()); }
    // Sends the rest of every held body.
    void release();

protected:
    void incomingConnection(qintptr fd) override;

private:
    struct Held {
        QPointer<QSslSocket> socket;
        QByteArray rest;
    };
    void serve(QSslSocket *socket);

    QSslConfiguration m_conf;
    QList<Held> m_held;
};

// A self-signed certificate for 127.0.0.1: dir/name.pem and dir/name.key.
bool makeCert(const QString &dir, const QString &name);

#pragma once
// A request body that can be read once. The HTTP stack resends a request
// whose connection closed before the answer; for a POST that may already have
// taken effect (a charge), the resend then fails instead of going out twice.
#include <QByteArray>
#include <QIODevice>

class OneShotBodyPrivate : public QIODevice {
public:
    explicit OneShotBodyPrivate(QByteArray body, QObject* parent = nullptr);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    qint64 size() const override { return body_.size(); }
    // Back to the start only while nothing was read.
    bool reset() override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray body_;
    qint64 offset_ = 0;
    bool read_ = false;
};

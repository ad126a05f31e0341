#include "platform/net/OneShotBodyPrivate.h"

#include <algorithm>
#include <cstring>

OneShotBodyPrivate::OneShotBodyPrivate(QByteArray body, QObject* parent) : QIODevice(parent), body_(std::move(body)) {
    open(QIODevice::ReadOnly);
}

qint64 OneShotBodyPrivate::bytesAvailable() const { return body_.size() - offset_ + QIODevice::bytesAvailable(); }

bool OneShotBodyPrivate::reset() {
    if (read_) return false;
    offset_ = 0;
    return true;
}

qint64 OneShotBodyPrivate::readData(char* data, qint64 maxSize) {
    const qint64 count = std::min(maxSize, body_.size() - offset_);
    if (count <= 0) return body_.isEmpty() || offset_ >= body_.size() ? -1 : 0;
    std::memcpy(data, body_.constData() + offset_, static_cast<size_t>(count));
    offset_ += count;
    read_ = true;
    return count;
}

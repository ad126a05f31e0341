#include "platform/ui/Snapshot.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Frame.h"
#include "platform/ui/SnapshotPrivate.h"
#include "platform/ui/UiAutomationServerPrivate.h"

namespace Vx::Ui {

QPixmap DrawScreen(QWidget* window) {
    Controls::Frame* frame = Controls::Frame::GetActiveFrame();
    QWidget* frameWindow = frame ? frame->GetPrivate().widget.data() : nullptr;
    if (!frameWindow || !frameWindow->isVisible() || frameWindow == window) return window->grab();
    QPixmap screen = frameWindow->grab();
    QPainter painter(&screen);
    painter.drawPixmap(window->mapToGlobal(QPoint(0, 0)) - frameWindow->mapToGlobal(QPoint(0, 0)), window->grab());
    return screen;
}

namespace {
result Save(const QPixmap& picture, const std::string& path) {
    return picture.save(QString::fromStdString(path), "PNG") ? E_SUCCESS : E_IO;
}
}  // namespace

result Snapshot::SaveControl(const Control& control, const std::string& pngPath) {
    QWidget* widget = control.GetPrivate().widget;
    if (!widget) return E_INVALID_STATE;
    return Save(widget->grab(), pngPath);
}

result Snapshot::SaveScreen(const std::string& pngPath) {
    QWidget* window = UiAutomationServer::GetActiveWindow();
    if (!window) return E_OBJ_NOT_FOUND;
    return Save(DrawScreen(window), pngPath);
}

result Snapshot::Compare(const std::string& actualPng, const std::string& referencePng, int channelTolerance,
                         double maxDifferentShare, const std::string& diffPath, Comparison& comparison) {
    comparison = Comparison{};
    for (const std::string* path : {&actualPng, &referencePng}) {
        if (!QFileInfo(QString::fromStdString(*path)).isFile()) {
            comparison.report = "no picture at " + *path;
            return E_OBJ_NOT_FOUND;
        }
    }
    QImage actual(QString::fromStdString(actualPng), "PNG");
    QImage reference(QString::fromStdString(referencePng), "PNG");
    if (actual.isNull() || reference.isNull()) {
        comparison.report = "a picture cannot be read as PNG";
        return E_INVALID_FORMAT;
    }
    actual = actual.convertToFormat(QImage::Format_ARGB32);
    reference = reference.convertToFormat(QImage::Format_ARGB32);
    comparison.sameSize = actual.size() == reference.size();
    if (!comparison.sameSize) {
        comparison.report = "size " + std::to_string(actual.width()) + "x" + std::to_string(actual.height()) +
                            " differs from the reference's " + std::to_string(reference.width()) + "x" +
                            std::to_string(reference.height());
        if (!diffPath.empty()) actual.save(QString::fromStdString(diffPath), "PNG");
        return E_FAILURE;
    }
    QImage diff = reference.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_ARGB32);
    comparison.totalPixels = actual.width() * actual.height();
    for (int y = 0; y < actual.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
        const QRgb* r = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            int d = std::max({std::abs(qRed(a[x]) - qRed(r[x])), std::abs(qGreen(a[x]) - qGreen(r[x])),
                              std::abs(qBlue(a[x]) - qBlue(r[x])), std::abs(qAlpha(a[x]) - qAlpha(r[x]))});
            if (d > channelTolerance) {
                ++comparison.differentPixels;
                diff.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
    }
    double share = comparison.totalPixels ? double(comparison.differentPixels) / comparison.totalPixels : 0.0;
    comparison.report = std::to_string(comparison.differentPixels) + " of " + std::to_string(comparison.totalPixels) +
                        " pixels differ by more than " + std::to_string(channelTolerance);
    if (share <= maxDifferentShare) return E_SUCCESS;
    if (!diffPath.empty()) diff.save(QString::fromStdString(diffPath), "PNG");
    return E_FAILURE;
}

}  // namespace Vx::Ui

// iap-client-art: draws the bitmaps buyclient shows (backgrounds, icons, the
// security-card picture and the waiting animation) into a resource folder.
// Everything is drawn here from shapes, so the pictures are our own and the
// build needs no binary files.
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kHelp[] = R"(Usage: iap-client-art OUTPUT_FOLDER
       iap-client-art --help

Draws buyclient's bitmaps as PNG files into OUTPUT_FOLDER (created if needed):
  R09_purchase_bg_9.png, 00_list_group_bg_{top,center,bottom}_9_normal.png
      nine-patch backgrounds: a 1-pixel frame whose black pixels mark, on the
      top and left edges, the rows and columns that stretch, and on the right
      and bottom edges, where the content goes
  R01_button_expand_{closed,opened}.png, 00_circle_bg_ef{,_press}.png,
  R09_app_icon_smart.png, isa_security_card.png
  WaitAnimation/winset_list_process_01.png .. _30.png  (one turn in 30 frames)
Exit codes: 0 written, 1 a file could not be written, 2 usage.
)";

const QColor kInk(59, 115, 182);
const QColor kLine(205, 210, 218);
const QColor kPaper(255, 255, 255);
const QColor kPressed(214, 228, 245);

QImage Blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// A nine-patch: `body` is drawn inside a 1-pixel frame; the frame marks the
// stretchable middle (top/left) and the content area (right/bottom).
QImage NinePatch(int width, int height, int corner, const std::function<void(QPainter&, QRectF)>& body) {
    QImage image = Blank(width + 2, height + 2);
    QPainter painter(&image);
    painter.save();  // a body may clip; the marks must not be clipped with it
    painter.setRenderHint(QPainter::Antialiasing);
    body(painter, QRectF(1, 1, width, height));
    painter.restore();
    painter.setPen(Qt::black);
    painter.drawLine(1 + corner, 0, width - corner, 0);
    painter.drawLine(0, 1 + corner, 0, height - corner);
    painter.drawLine(1 + corner / 2, height + 1, width - corner / 2, height + 1);
    painter.drawLine(width + 1, 1 + corner / 2, width + 1, height - corner / 2);
    return image;
}

QImage CardBackground() {
    return NinePatch(48, 48, 16, [](QPainter& p, QRectF r) {
        p.setPen(QPen(kLine, 2));
        p.setBrush(kPaper);
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 12, 12);
    });
}

enum class GroupPart { Top, Center, Bottom };

QImage GroupBackground(GroupPart part) {
    return NinePatch(48, 48, 16, [part](QPainter& p, QRectF r) {
        QRectF box = r.adjusted(1, 1, -1, -1);
        // Rounded only where the group begins or ends.
        if (part == GroupPart::Top) box.setBottom(box.bottom() + 20);
        if (part == GroupPart::Bottom) box.setTop(box.top() - 20);
        if (part == GroupPart::Center) box.adjust(0, -20, 0, 20);
        p.setClipRect(r);
        p.setPen(QPen(kLine, 2));
        p.setBrush(kPaper);
        p.drawRoundedRect(box, 10, 10);
        if (part != GroupPart::Bottom)
            p.drawLine(QPointF(r.left() + 8, r.bottom() - 1), QPointF(r.right() - 8, r.bottom() - 1));
    });
}

QImage ExpandIcon(bool opened) {
    QImage image = Blank(74, 74);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF chevron;
    if (opened) {
        chevron << QPointF(22, 44) << QPointF(37, 29) << QPointF(52, 44);
    } else {
        chevron << QPointF(22, 30) << QPointF(37, 45) << QPointF(52, 30);
    }
    p.drawPolyline(chevron);
    return image;
}

QImage CircleButton(bool pressed) {
    QImage image = Blank(72, 72);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 3));
    p.setBrush(pressed ? kPressed : kPaper);
    p.drawEllipse(QRectF(4, 4, 64, 64));
    return image;
}

QImage AppIcon() {
    QImage image = Blank(86, 86);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(3, 3, 80, 80), 18, 18);
    // A shopping bag.
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(23, 34, 40, 34), 5, 5);
    p.setPen(QPen(kPaper, 5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(32, 18, 22, 30), 0, 180 * 16);
    return image;
}

// The back of a card: where its security code is printed.
QImage SecurityCard() {
    QImage image = Blank(720, 480);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kLine, 3));
    p.setBrush(QColor(236, 240, 246));
    p.drawRoundedRect(QRectF(40, 40, 640, 400), 28, 28);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(45, 45, 50));
    p.drawRect(QRectF(42, 90, 636, 70));  // magnetic stripe
    p.setBrush(kPaper);
    p.drawRect(QRectF(80, 210, 420, 64));  // signature panel
    p.setPen(QPen(kLine, 2));
    for (int x = 90; x < 490; x += 24)
        p.drawLine(QPointF(x, 262), QPointF(x + 14, 222));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(36);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(45, 45, 50));
    p.drawText(QRectF(510, 210, 130, 64), Qt::AlignCenter, QStringLiteral("123"));
    p.setPen(QPen(QColor(214, 60, 60), 5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(505, 196, 140, 92));  // the code to type
    return image;
}

// Frame n (1..30) of a spinner: twelve dots, the brightest one turning.
QImage WaitFrame(int n) {
    QImage image = Blank(50, 50);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const double head = (n - 1) * 360.0 / 30.0;
    for (int dot = 0; dot < 12; ++dot) {
        const double angle = head - dot * 30.0;
        const double radians = angle * M_PI / 180.0;
        QColor color = kInk;
        color.setAlphaF(1.0 - dot / 13.0);
        p.setBrush(color);
        p.drawEllipse(QPointF(25 + 18 * std::sin(radians), 25 - 18 * std::cos(radians)), 3.6, 3.6);
    }
    return image;
}

bool Save(const QDir& dir, const QString& name, const QImage& image) {
    const QString path = dir.filePath(name);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path, "PNG")) {
        std::fprintf(stderr, "iap-client-art: cannot write %s: check that the folder is writable\n",
                     path.toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs(kHelp, stderr);
        return 2;
    }
    // Text needs the font database, which needs a GUI application; no screen is used.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.absolutePath())) {
        std::fprintf(stderr, "iap-client-art: cannot create %s\n", argv[1]);
        return 1;
    }
    struct Picture {
        const char* name;
        QImage image;
    };
    std::vector<Picture> pictures = {
        {"R09_purchase_bg_9.png", CardBackground()},
        {"00_list_group_bg_top_9_normal.png", GroupBackground(GroupPart::Top)},
        {"00_list_group_bg_center_9_normal.png", GroupBackground(GroupPart::Center)},
        {"00_list_group_bg_bottom_9_normal.png", GroupBackground(GroupPart::Bottom)},
        {"R01_button_expand_closed.png", ExpandIcon(false)},
        {"R01_button_expand_opened.png", ExpandIcon(true)},
        {"00_circle_bg_ef.png", CircleButton(false)},
        {"00_circle_bg_ef_press.png", CircleButton(true)},
        {"R09_app_icon_smart.png", AppIcon()},
        {"isa_security_card.png", SecurityCard()},
    };
    bool ok = true;
    for (const Picture& picture : pictures)
        ok = Save(dir, QString::fromLatin1(picture.name), picture.image) && ok;
    for (int n = 1; n <= 30; ++n) {
        ok = Save(dir, QStringLiteral("WaitAnimation/winset_list_process_%1.png").arg(n, 2, 10, QLatin1Char('0')),
                  WaitFrame(n)) &&
             ok;
    }
    return ok ? 0 : 1;
}

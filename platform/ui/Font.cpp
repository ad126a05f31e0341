#include "platform/ui/Font.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>

#include "platform/app/AppLog.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/FontPrivate.h"

namespace Vx::Graphics {

void FontPrivate::EnsureFaces() {
    static bool done = false;
    if (done) return;
    done = true;
    // Registered from the files of fonts-dejavu-core, so that the face does not
    // depend on what fontconfig picks on a given machine.
    QDir dir(QStringLiteral("/usr/share/fonts/truetype/dejavu"));
    for (const QString& file : dir.entryList({QStringLiteral("DejaVuSans*.ttf")}, QDir::Files)) {
        QFontDatabase::addApplicationFont(dir.filePath(file));
    }
}

QString FontPrivate::ResolveFace(const QString& face) {
    EnsureFaces();
    if (!face.isEmpty() && QFontDatabase::hasFamily(face)) return face;
    QString fallback = QString::fromWCharArray(Font::DEFAULT_FACE_NAME);
    if (!face.isEmpty()) {
        App::LogAppWarning("font face \"" + face.toStdString() + "\" is not installed; using " +
                           fallback.toStdString());
    }
    return fallback;
}

Font::Font() : d_(std::make_unique<FontPrivate>()) {}

Font::Font(const Font& other) : d_(std::make_unique<FontPrivate>(*other.d_)) {}

Font& Font::operator=(const Font& other) {
    if (this != &other) *d_ = *other.d_;
    return *this;
}

Font::~Font() = default;

result Font::Construct(int style, int size) { return Construct(Base::String(DEFAULT_FACE_NAME), style, size); }

result Font::Construct(const Base::String& faceName, int style, int size) {
    if (d_->constructed) return E_INVALID_STATE;
    bool plain = style == FONT_STYLE_PLAIN;
    bool styled = style > 0 && (style & ~(FONT_STYLE_BOLD | FONT_STYLE_ITALIC)) == 0;
    if ((!plain && !styled) || size <= 0 || size > 1000) return E_INVALID_ARG;
    QFont font(FontPrivate::ResolveFace(Ui::ToQString(faceName)));
    font.setPixelSize(size);
    font.setBold(style & FONT_STYLE_BOLD);
    font.setItalic(style & FONT_STYLE_ITALIC);
    font.setStyleStrategy(QFont::NoFontMerging);
    d_->font = font;
    d_->style = style;
    d_->constructed = true;
    return E_SUCCESS;
}

int Font::GetSize() const { return d_->constructed ? d_->font.pixelSize() : 0; }

int Font::GetStyle() const { return d_->style; }

bool Font::IsBold() const { return d_->style & FONT_STYLE_BOLD; }

bool Font::IsItalic() const { return d_->style & FONT_STYLE_ITALIC; }

Base::String Font::GetFaceName() const { return d_->constructed ? Ui::FromQString(d_->font.family()) : Base::String(); }

int Font::GetAscender() const { return d_->constructed ? QFontMetrics(d_->font).ascent() : 0; }

int Font::GetDescender() const { return d_->constructed ? QFontMetrics(d_->font).descent() : 0; }

int Font::GetLineThickness() const { return d_->constructed ? QFontMetrics(d_->font).lineWidth() : 0; }

result Font::GetTextExtent(const Base::String& text, int length, Dimension& dim) const {
    if (!d_->constructed) return E_INVALID_STATE;
    QString q = Ui::ToQString(text);
    if (length > q.size()) return E_OUT_OF_RANGE;
    if (length >= 0) q.truncate(length);
    QFontMetrics metrics(d_->font);
    dim = {metrics.horizontalAdvance(q), metrics.height()};
    return E_SUCCESS;
}

bool Font::IsConstructed() const { return d_->constructed; }

}  // namespace Vx::Graphics

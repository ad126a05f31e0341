// Fonts, canvases and nine-patch bitmaps.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <filesystem>

#include "platform/ui/Bitmap.h"
#include "platform/ui/BitmapPrivate.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/CanvasPrivate.h"
#include "platform/ui/Font.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Graphics;
namespace fs = std::filesystem;

namespace {

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ui::EnsureUiApplication());
        char pattern[] = "/tmp/graphics-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A 12 x 12 nine-patch picture: blue corners, a red middle that stretches
    // (columns and rows 4 to 7 of the content), marks on the top and left edges.
    std::string NinePatch() {
        QImage image(12, 12, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = 1; y < 11; ++y)
            for (int x = 1; x < 11; ++x)
                image.setPixel(x, y, qRgb(0, 0, 255));
        for (int i = 5; i < 9; ++i) {
            image.setPixel(i, 0, qRgb(0, 0, 0));
            image.setPixel(0, i, qRgb(0, 0, 0));
            for (int j = 5; j < 9; ++j)
                image.setPixel(i, j, qRgb(255, 0, 0));
        }
        std::string path = dir_ + "/bg_9.png";
        image.save(QString::fromStdString(path), "PNG");
        return path;
    }
    std::string dir_;
};

TEST_F(GraphicsTest, FontIsDejaVuWithSensibleMetrics) {
    Font font;
    ASSERT_EQ(font.Construct(FONT_STYLE_PLAIN, 35), E_SUCCESS);
    EXPECT_EQ(font.GetFaceName(), Base::String(L"DejaVu Sans"));
    EXPECT_EQ(font.GetSize(), 35);
    EXPECT_GT(font.GetAscender(), 20);
    EXPECT_GT(font.GetDescender(), 3);
    EXPECT_LT(font.GetAscender() + font.GetDescender(), 2 * 35);
    Dimension narrow, wide, part;
    ASSERT_EQ(font.GetTextExtent(L"iiii", -1, narrow), E_SUCCESS);
    ASSERT_EQ(font.GetTextExtent(L"WWWW", -1, wide), E_SUCCESS);
    EXPECT_LT(narrow.width, wide.width) << "the face really has glyphs";
    ASSERT_EQ(font.GetTextExtent(L"WWWW", 2, part), E_SUCCESS);
    EXPECT_LT(part.width, wide.width);
    EXPECT_EQ(font.GetTextExtent(L"WW", 3, part), E_OUT_OF_RANGE);
    EXPECT_EQ(font.Construct(FONT_STYLE_PLAIN, 35), E_INVALID_STATE);
}

TEST_F(GraphicsTest, FontRefusesBadStylesAndSizesAndReplacesUnknownFaces) {
    for (int style : {0, 8, FONT_STYLE_PLAIN | FONT_STYLE_BOLD | 0x10}) {
        Font font;
        EXPECT_EQ(font.Construct(style, 30), E_INVALID_ARG) << style;
    }
    Font zero;
    EXPECT_EQ(zero.Construct(FONT_STYLE_PLAIN, 0), E_INVALID_ARG);
    EXPECT_EQ(zero.GetAscender(), 0);
    Dimension dim;
    EXPECT_EQ(zero.GetTextExtent(L"x", -1, dim), E_INVALID_STATE);

    Font bold;
    ASSERT_EQ(bold.Construct(L"No Such Face", FONT_STYLE_BOLD | FONT_STYLE_ITALIC, 40), E_SUCCESS);
    EXPECT_EQ(bold.GetFaceName(), Base::String(L"DejaVu Sans"));
    EXPECT_TRUE(bold.IsBold());
    EXPECT_TRUE(bold.IsItalic());
    Font copy(bold);
    EXPECT_EQ(copy.GetSize(), 40);
    EXPECT_TRUE(copy.IsBold());
}

TEST_F(GraphicsTest, CanvasDrawsAndBecomesABitmap) {
    Canvas canvas;
    EXPECT_EQ(canvas.Construct({0, 0, 0, 10}), E_INVALID_ARG);
    ASSERT_EQ(canvas.Construct({5, 5, 72, 72}), E_SUCCESS);
    EXPECT_EQ(canvas.GetBounds(), (Rectangle{0, 0, 72, 72}));
    canvas.SetBackgroundColor(Color(10, 20, 30));
    ASSERT_EQ(canvas.Clear(), E_SUCCESS);
    ASSERT_EQ(canvas.FillRectangle(Color(255, 0, 0), {0, 0, 10, 10}), E_SUCCESS);
    Font font;
    ASSERT_EQ(font.Construct(FONT_STYLE_PLAIN, 40), E_SUCCESS);
    canvas.SetFont(font);
    canvas.SetForegroundColor(Color(255, 255, 255));
    ASSERT_EQ(canvas.DrawText({26, 10}, L"?"), E_SUCCESS);

    Bitmap bitmap;
    EXPECT_EQ(bitmap.Construct(canvas, {60, 60, 20, 20}), E_INVALID_ARG) << "outside the canvas";
    ASSERT_EQ(bitmap.Construct(canvas, canvas.GetBounds()), E_SUCCESS);
    EXPECT_EQ(bitmap.GetWidth(), 72);
    EXPECT_FALSE(bitmap.IsNinePatchedBitmap());
    const QImage& pixels = bitmap.GetPrivate().image;
    EXPECT_EQ(pixels.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(pixels.pixel(70, 70), qRgb(10, 20, 30));
    int white = 0;
    for (int y = 0; y < 72; ++y)
        for (int x = 20; x < 52; ++x)
            white += pixels.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_GT(white, 20) << "the text was drawn";

    Canvas copy;
    ASSERT_EQ(copy.Construct({0, 0, 100, 100}), E_SUCCESS);
    ASSERT_EQ(copy.DrawBitmap(Point{10, 10}, bitmap), E_SUCCESS);
    EXPECT_EQ(copy.GetPrivate().image.pixel(12, 12), QColor(255, 0, 0).rgba());
    Bitmap empty;
    EXPECT_EQ(copy.DrawBitmap(Point{0, 0}, empty), E_INVALID_ARG);
}

TEST_F(GraphicsTest, NinePatchKeepsCornersAndStretchesTheMiddle) {
    Bitmap patch;
    ASSERT_EQ(patch.Construct(Base::String(fs::path(NinePatch()).wstring())), E_SUCCESS);
    ASSERT_TRUE(patch.IsNinePatchedBitmap());
    EXPECT_EQ(patch.GetWidth(), 10) << "the mark border is not part of the picture";
    EXPECT_EQ(patch.GetHeight(), 10);

    Canvas canvas;
    ASSERT_EQ(canvas.Construct({0, 0, 200, 60}), E_SUCCESS);
    ASSERT_EQ(canvas.DrawNinePatchedBitmap({0, 0, 200, 60}, patch), E_SUCCESS);
    const QImage& out = canvas.GetPrivate().image;
    EXPECT_EQ(QColor(out.pixel(1, 1)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(out.pixel(198, 58)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(out.pixel(100, 30)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(out.pixel(100, 1)), QColor(0, 0, 255)) << "the top band only stretches sideways";

    // Targets smaller than the fixed parts, or empty, are drawn without dividing by zero.
    for (Rectangle tiny : {Rectangle{0, 0, 1, 1}, Rectangle{0, 0, 0, 0}, Rectangle{0, 0, 3, 200}}) {
        EXPECT_EQ(canvas.DrawNinePatchedBitmap(tiny, patch), E_SUCCESS);
    }

    QImage plain(8, 8, QImage::Format_ARGB32);
    plain.fill(qRgb(0, 0, 0));
    plain.save(QString::fromStdString(dir_ + "/plain.png"), "PNG");
    Bitmap black;
    ASSERT_EQ(black.Construct(Base::String(fs::path(dir_ + "/plain.png").wstring())), E_SUCCESS);
    EXPECT_FALSE(black.IsNinePatchedBitmap()) << "an opaque border is picture, not marks";
    EXPECT_EQ(black.GetWidth(), 8);
}

}  // namespace

#include "platform/LoadedPicture.h"
#include "viewer/Picture.h"
#include "unit/TestSupport.h"

#include <cairo.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace viewer;

struct Colour {
    int red, green, blue;
};

constexpr Colour kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0}, kWhite{255, 255, 255};
constexpr Colour kUntouched{40, 40, 40};

// A picture of four coloured quadrants, so that position, orientation and
// each axis's stretch show: red | blue over green | white.
void SavePicture(const std::string& path, const char* type, int width, int height,
                 const char* dpi = nullptr) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const Colour colour = bottom ? (right ? kWhite : kGreen) : (right ? kBlue : kRed);
            guchar* pixel = pixels + y * stride + x * 3;
            pixel[0] = static_cast<guchar>(colour.red);
            pixel[1] = static_cast<guchar>(colour.green);
            pixel[2] = static_cast<guchar>(colour.blue);
        }
    }
    GError* error = nullptr;
    if (dpi != nullptr) {
        gdk_pixbuf_save(pixbuf, path.c_str(), type, &error, "x-dpi", dpi, "y-dpi", dpi, nullptr);
    } else {
        gdk_pixbuf_save(pixbuf, path.c_str(), type, &error, nullptr);
    }
    g_object_unref(pixbuf);
    ASSERT_EQ(error, nullptr);
}

// An image surface filled with kUntouched, drawn on through a device context.
class Canvas {
public:
    Canvas(int width, int height)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
          cairo(cairo_create(surface)) {
        cairo_set_source_rgb(cairo, kUntouched.red / 255.0, kUntouched.green / 255.0,
                             kUntouched.blue / 255.0);
        cairo_paint(cairo);
        dc.cairo = cairo;
    }
    ~Canvas() {
        cairo_destroy(cairo);
        cairo_surface_destroy(surface);
    }

    bool Near(int x, int y, Colour expected) {
        cairo_surface_flush(surface);
        const unsigned char* row =
            cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        uint32_t pixel;
        std::memcpy(&pixel, row + x * 4, sizeof pixel);
        const Colour found{static_cast<int>(pixel >> 16 & 0xFF),
                           static_cast<int>(pixel >> 8 & 0xFF), static_cast<int>(pixel & 0xFF)};
        return std::abs(found.red - expected.red) < 48 &&
               std::abs(found.green - expected.green) < 48 &&
               std::abs(found.blue - expected.blue) < 48;
    }

    platform::DeviceContext dc;

private:
    cairo_surface_t* surface;
    cairo_t* cairo;
};

class PictureTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    Picture picture;
};

TEST_F(PictureTest, DrawsStretchedOverExactlyTheRectangle) {
    SavePicture(scratch / "bgimg.jpg", "jpeg", 400, 300);
    ASSERT_TRUE(picture.LoadFile((scratch / "bgimg.jpg").c_str()));
    Canvas canvas(1300, 1010);
    EXPECT_TRUE(picture.Draw(&canvas.dc, {0, 0, 1280, 994}));
    // Corners and the points either side of the stretched quadrant borders.
    EXPECT_TRUE(canvas.Near(0, 0, kRed));
    EXPECT_TRUE(canvas.Near(1279, 0, kBlue));
    EXPECT_TRUE(canvas.Near(0, 993, kGreen));
    EXPECT_TRUE(canvas.Near(1279, 993, kWhite));
    EXPECT_TRUE(canvas.Near(610, 470, kRed));
    EXPECT_TRUE(canvas.Near(670, 470, kBlue));
    EXPECT_TRUE(canvas.Near(610, 525, kGreen));
    EXPECT_TRUE(canvas.Near(670, 525, kWhite));
    EXPECT_TRUE(canvas.Near(1280, 0, kUntouched));
    EXPECT_TRUE(canvas.Near(0, 994, kUntouched));
    EXPECT_TRUE(canvas.Near(1280, 994, kUntouched));
}

TEST_F(PictureTest, DrawsAtTheRectanglesPlaceOrAtItsOwnSize) {
    SavePicture(scratch / "bgimg.png", "png", 400, 300);
    ASSERT_TRUE(picture.LoadFile((scratch / "bgimg.png").c_str()));
    Canvas canvas(500, 400);
    picture.Draw(&canvas.dc, {100, 50, 300, 200});
    EXPECT_TRUE(canvas.Near(100, 50, kRed));
    EXPECT_TRUE(canvas.Near(299, 199, kWhite));
    EXPECT_TRUE(canvas.Near(99, 60, kUntouched));
    EXPECT_TRUE(canvas.Near(300, 60, kUntouched));
    EXPECT_TRUE(canvas.Near(150, 200, kUntouched));

    Canvas own(500, 400);
    picture.Draw(&own.dc, {});
    EXPECT_TRUE(own.Near(399, 299, kWhite));
    EXPECT_TRUE(own.Near(400, 150, kUntouched));
    EXPECT_TRUE(own.Near(200, 300, kUntouched));
}

TEST_F(PictureTest, PixelSizeFollowsTheDevicesAndTheFilesResolution) {
    EXPECT_EQ(platform::MulDiv(2540, 96, platform::kHimetricPerInch), 96);
    EXPECT_EQ(platform::MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(picture.GetPixelSize(nullptr).width, 0);

    SavePicture(scratch / "plain.jpg", "jpeg", 400, 300);
    ASSERT_TRUE(picture.LoadFile((scratch / "plain.jpg").c_str()));
    platform::DeviceContext device;
    EXPECT_EQ(picture.GetPixelSize(&device).width, 400);
    EXPECT_EQ(picture.GetPixelSize(&device).height, 300);
    device.pixelsPerInchX = 192;
    EXPECT_EQ(picture.GetPixelSize(&device).width, 800);
    EXPECT_EQ(picture.GetPixelSize(&device).height, 300);
    // No display in the tests: the screen has the default resolution.
    EXPECT_EQ(picture.GetPixelSize(nullptr).width, 400);

    SavePicture(scratch / "fine.jpg", "jpeg", 400, 300, "192");
    ASSERT_TRUE(picture.LoadFile((scratch / "fine.jpg").c_str()));
    EXPECT_EQ(picture.GetPixelSize(nullptr).width, 200);
    EXPECT_EQ(picture.GetPixelSize(nullptr).height, 150);
}

TEST_F(PictureTest, EmptyOrDamagedFilesLeaveThePictureEmpty) {
    SavePicture(scratch / "good.jpg", "jpeg", 400, 300);
    const std::string good = ReadWholeFile(scratch / "good.jpg");
    std::string scrambled = good;
    for (size_t i = 0; i < 64; ++i) {
        scrambled[i] = static_cast<char>(i);
    }
    WriteWholeFile(scratch / "empty.jpg", "");
    WriteWholeFile(scratch / "scrambled.jpg", scrambled);
    WriteWholeFile(scratch / "text.jpg", "<html>not a picture</html>");
    for (const char* name : {"empty.jpg", "scrambled.jpg", "text.jpg"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(picture.LoadFile((scratch / "good.jpg").c_str()));
        EXPECT_TRUE(picture.LoadFile((scratch / name).c_str()));
        EXPECT_TRUE(picture.IsEmpty());
        EXPECT_EQ(picture.GetPixelSize(nullptr).width, 0);
        Canvas canvas(100, 100);
        EXPECT_TRUE(picture.Draw(&canvas.dc, {0, 0, 100, 100}));
        EXPECT_TRUE(canvas.Near(50, 50, kUntouched));
    }
    EXPECT_FALSE(picture.LoadFile((scratch / "missing.jpg").c_str()));
}

} // namespace

// Draws the window's title strip, button bitmaps and the application icon
// with cairo and writes them as PNG files into the folder given.
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using Painter = std::function<void(cairo_t*, int width, int height, bool pressed)>;

void Save(const std::string& folder, int id, const char* role, int width, int height, bool pressed,
          const Painter& paint) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    paint(cr, width, height, pressed);
    cairo_destroy(cr);
    const std::string path = folder + "/" + std::to_string(id) + "-" + role + ".png";
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    }
    cairo_surface_destroy(surface);
}

void RoundedRectangle(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

// The strip's colours, so that buttons sit on it seamlessly.
void StripBackground(cairo_t* cr, int width, int height) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.22, 0.30, 0.40);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.12, 0.17, 0.24);
    cairo_set_source(cr, gradient);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

// A square caption button: a rounded face and a glyph drawn by `glyph`.
Painter CaptionButton(double red, double green, double blue,
                      std::function<void(cairo_t*, double w, double h)> glyph) {
    return [=](cairo_t* cr, int width, int height, bool pressed) {
        const double shade = pressed ? 0.7 : 1.0;
        RoundedRectangle(cr, 0.5, 0.5, width - 1, height - 1, 4);
        cairo_set_source_rgb(cr, red * shade, green * shade, blue * shade);
        cairo_fill_preserve(cr);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, 2);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        if (pressed) {
            cairo_translate(cr, 0.5, 0.5);
        }
        glyph(cr, width, height);
    };
}

Painter PageButton(const char* label) {
    return [=](cairo_t* cr, int width, int height, bool pressed) {
        RoundedRectangle(cr, 0.5, 0.5, width - 1, height - 1, 6);
        cairo_set_source_rgb(cr, pressed ? 0.55 : 0.85, pressed ? 0.42 : 0.62, pressed ? 0.10 : 0.18);
        cairo_fill(cr);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 9);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, label, &extents);
        cairo_move_to(cr, (width - extents.width) / 2 - extents.x_bearing + (pressed ? 1 : 0),
                      (height - extents.height) / 2 - extents.y_bearing + (pressed ? 1 : 0));
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_show_text(cr, label);
    };
}

void TitleStrip(cairo_t* cr, int width, int height, bool) {
    StripBackground(cr, width, height);
    // A small open-book mark and the name.
    cairo_set_source_rgb(cr, 0.95, 0.75, 0.30);
    cairo_move_to(cr, 10, 9);
    cairo_curve_to(cr, 14, 7, 18, 7, 20, 10);
    cairo_curve_to(cr, 22, 7, 26, 7, 30, 9);
    cairo_line_to(cr, 30, 22);
    cairo_curve_to(cr, 26, 20, 22, 20, 20, 23);
    cairo_curve_to(cr, 18, 20, 14, 20, 10, 22);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 14);
    cairo_move_to(cr, 38, 20);
    cairo_set_source_rgb(cr, 0.96, 0.96, 0.96);
    cairo_show_text(cr, "Kest");
}

void Icon(cairo_t* cr, int width, int height, bool) {
    RoundedRectangle(cr, 2, 2, width - 4, height - 4, 10);
    cairo_set_source_rgb(cr, 0.17, 0.24, 0.32);
    cairo_fill(cr);
    cairo_scale(cr, width / 48.0, height / 48.0);
    cairo_set_source_rgb(cr, 0.95, 0.75, 0.30);
    cairo_move_to(cr, 8, 14);
    cairo_curve_to(cr, 14, 10, 20, 10, 24, 15);
    cairo_curve_to(cr, 28, 10, 34, 10, 40, 14);
    cairo_line_to(cr, 40, 36);
    cairo_curve_to(cr, 34, 32, 28, 32, 24, 37);
    cairo_curve_to(cr, 20, 32, 14, 32, 8, 36);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.17, 0.24, 0.32);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 24, 16);
    cairo_line_to(cr, 24, 35);
    cairo_stroke(cr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make-bitmaps FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const Painter close = CaptionButton(0.78, 0.24, 0.22, [](cairo_t* cr, double w, double h) {
        cairo_move_to(cr, w * 0.32, h * 0.32);
        cairo_line_to(cr, w * 0.68, h * 0.68);
        cairo_move_to(cr, w * 0.68, h * 0.32);
        cairo_line_to(cr, w * 0.32, h * 0.68);
        cairo_stroke(cr);
    });
    const Painter maximise = CaptionButton(0.30, 0.42, 0.55, [](cairo_t* cr, double w, double h) {
        cairo_set_line_width(cr, 1.5);
        cairo_rectangle(cr, w * 0.28, h * 0.28, w * 0.44, h * 0.44);
        cairo_stroke(cr);
    });
    const Painter minimise = CaptionButton(0.30, 0.42, 0.55, [](cairo_t* cr, double w, double h) {
        cairo_move_to(cr, w * 0.3, h * 0.68);
        cairo_line_to(cr, w * 0.7, h * 0.68);
        cairo_stroke(cr);
    });
    Save(folder, 130, "close-down", 21, 21, true, close);
    Save(folder, 131, "close-up", 21, 21, false, close);
    Save(folder, 134, "title", 722, 30, false, TitleStrip);
    Save(folder, 135, "minimise-down", 20, 21, true, minimise);
    Save(folder, 136, "minimise-up", 20, 21, false, minimise);
    Save(folder, 137, "next-down", 48, 14, true, PageButton("NEXT \u203A"));
    Save(folder, 138, "next-up", 48, 14, false, PageButton("NEXT \u203A"));
    Save(folder, 139, "previous-down", 48, 14, true, PageButton("\u2039 PREV"));
    Save(folder, 140, "previous-up", 48, 14, false, PageButton("\u2039 PREV"));
    Save(folder, 142, "maximise-up", 21, 21, false, maximise);
    Save(folder, 143, "maximise-down", 21, 21, true, maximise);
    Save(folder, 128, "icon", 48, 48, false, Icon);
    return 0;
}

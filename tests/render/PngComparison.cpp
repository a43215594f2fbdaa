#include "render/PngComparison.h"

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace vantrel::render::test {

namespace {

struct SurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceRelease>;

Surface load(const std::string& path) {
    Surface surface{cairo_image_surface_create_from_png(path.c_str())};
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_surface_flush(surface.get());
    return surface;
}

int width(const Surface& surface) {
    return cairo_image_surface_get_width(surface.get());
}
int height(const Surface& surface) {
    return cairo_image_surface_get_height(surface.get());
}

std::uint32_t pixel(const Surface& surface, int x, int y) {
    const unsigned char* row = cairo_image_surface_get_data(surface.get()) +
                               static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface.get());
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

bool close(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int channelA = static_cast<int>((a >> shift) & 0xff);
        const int channelB = static_cast<int>((b >> shift) & 0xff);
        if (std::abs(channelA - channelB) > tolerance) return false;
    }
    return true;
}

} // namespace

Comparison comparePngs(const std::string& actual, const std::string& golden, int tolerance,
                       const std::string& differencePath) {
    const Surface actualPicture = load(actual);
    const Surface goldenPicture = load(golden);
    if (!actualPicture) return {false, "cannot read " + actual};
    if (!goldenPicture) return {false, "no golden " + golden + " (actual picture: " + actual + ")"};
    if (width(actualPicture) != width(goldenPicture) || height(actualPicture) != height(goldenPicture)) {
        return {false, "size " + std::to_string(width(actualPicture)) + "x" +
                           std::to_string(height(actualPicture)) + " instead of " +
                           std::to_string(width(goldenPicture)) + "x" +
                           std::to_string(height(goldenPicture)) + " (actual picture: " + actual + ")"};
    }
    Surface difference{
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width(actualPicture), height(actualPicture))};
    auto* mark = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(difference.get()));
    const int markStride = cairo_image_surface_get_stride(difference.get()) / 4;
    long differing = 0;
    for (int y = 0; y < height(actualPicture); ++y) {
        for (int x = 0; x < width(actualPicture); ++x) {
            const bool same = close(pixel(actualPicture, x, y), pixel(goldenPicture, x, y), tolerance);
            mark[y * markStride + x] = same ? 0xff000000u : 0xffff0000u;
            differing += same ? 0 : 1;
        }
    }
    if (differing == 0) return {true, {}};
    cairo_surface_mark_dirty(difference.get());
    cairo_surface_write_to_png(difference.get(), differencePath.c_str());
    return {false, std::to_string(differing) + " pixels differ from " + golden +
                       " (actual picture: " + actual + ", differences in red: " + differencePath + ")"};
}

} // namespace vantrel::render::test

#include "tests/movie_player/creature.h"

#include <algorithm>
#include <cmath>

namespace movie_player {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStage = 165.0;  // the movie's own size; frames are scaled from it

struct Colour {
    double red, green, blue, alpha;
};

// A canvas of premultiplied colours, each in 0..1.
class Canvas {
public:
    Canvas(int width, int height, double scale, double left, double top)
        : width_(width),
          height_(height),
          scale_(scale),
          left_(left),
          top_(top),
          colours_(static_cast<std::size_t>(width) * height * 4, 0.0) {}

    // An ellipse given in stage coordinates, laid over what is there ("over" compositing).
    void Ellipse(double cx, double cy, double rx, double ry, Colour colour) {
        cx = left_ + cx * scale_;
        cy = top_ + cy * scale_;
        rx *= scale_;
        ry *= scale_;
        if (rx <= 0 || ry <= 0) return;
        const int x0 = std::max(0, static_cast<int>(std::floor(cx - rx - 1)));
        const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(cx + rx + 1)));
        const int y0 = std::max(0, static_cast<int>(std::floor(cy - ry - 1)));
        const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(cy + ry + 1)));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const double dx = (x + 0.5 - cx) / rx;
                const double dy = (y + 0.5 - cy) / ry;
                // Distance to the outline in pixels, roughly: the coverage of a one-pixel ramp.
                const double distance = (std::sqrt(dx * dx + dy * dy) - 1.0) * std::min(rx, ry);
                const double coverage = std::clamp(0.5 - distance, 0.0, 1.0);
                if (coverage > 0) Over(x, y, colour, coverage * colour.alpha);
            }
        }
    }

    Frame ToFrame() const {
        Frame frame{width_, height_, std::vector<std::uint32_t>(colours_.size() / 4)};
        for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
            auto byte = [&](std::size_t channel) {
                return static_cast<std::uint32_t>(std::lround(colours_[i * 4 + channel] * 255.0));
            };
            frame.pixels[i] = byte(2) | byte(1) << 8 | byte(0) << 16 | byte(3) << 24;
        }
        return frame;
    }

private:
    void Over(int x, int y, Colour colour, double alpha) {
        double* pixel = &colours_[(static_cast<std::size_t>(y) * width_ + x) * 4];
        const double keep = 1.0 - alpha;
        pixel[0] = colour.red * alpha + pixel[0] * keep;
        pixel[1] = colour.green * alpha + pixel[1] * keep;
        pixel[2] = colour.blue * alpha + pixel[2] * keep;
        pixel[3] = alpha + pixel[3] * keep;
    }

    int width_, height_;
    double scale_, left_, top_;
    std::vector<double> colours_;  // red, green, blue, alpha per pixel
};

constexpr Colour kFur{240 / 255.0, 150 / 255.0, 60 / 255.0, 1.0};
constexpr Colour kEar{214 / 255.0, 120 / 255.0, 40 / 255.0, 1.0};
constexpr Colour kBelly{252 / 255.0, 224 / 255.0, 190 / 255.0, 1.0};
constexpr Colour kWhite{1.0, 1.0, 1.0, 1.0};
constexpr Colour kPupil{40 / 255.0, 30 / 255.0, 30 / 255.0, 1.0};
constexpr Colour kNose{120 / 255.0, 50 / 255.0, 50 / 255.0, 1.0};
constexpr Colour kShadow{0.0, 0.0, 0.0, 0.35};

// How open the eyes are: shut for a few frames every three seconds.
double EyeOpening(int frame) {
    const int inCycle = frame % (3 * kFramesPerSecond);
    return inCycle < 4 ? 0.12 : 1.0;
}

}  // namespace

Frame DrawCreature(int width, int height, int frame) {
    const double scale = std::min(width, height) / kStage;
    Canvas canvas(width, height, scale, (width - kStage * scale) / 2,
                  (height - kStage * scale) / 2);
    const double t = static_cast<double>(frame) / kFramesPerSecond;
    const double bob = 5.0 * std::sin(2 * kPi * t / 1.5);
    const double sway = 6.0 * std::sin(2 * kPi * t / 3.0);
    const double x = 82.5 + sway;
    const double y = 92.0 + bob;
    const double eyes = EyeOpening(frame);

    canvas.Ellipse(82.5, 150, 46 - bob, 8, kShadow);  // smaller while the body is up
    canvas.Ellipse(x - 30, y - 40, 13, 20, kEar);
    canvas.Ellipse(x + 30, y - 40, 13, 20, kEar);
    canvas.Ellipse(x, y, 52, 46, kFur);
    canvas.Ellipse(x, y + 18, 30, 22, kBelly);
    for (double side : {-1.0, 1.0}) {
        canvas.Ellipse(x + side * 18, y - 10, 11, 12 * eyes, kWhite);
        canvas.Ellipse(x + side * 18 + sway / 3, y - 9, 5.5, 7 * eyes, kPupil);
    }
    canvas.Ellipse(x, y + 4, 5, 3.5, kNose);
    return canvas.ToFrame();
}

}  // namespace movie_player

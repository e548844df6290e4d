#include "convert/demo_film.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "convert/frame_writers.h"
#include "film/ms_film.h"

namespace plexo {

namespace {

constexpr double kFocal = 280;   // pixels
constexpr double kStartX = 0.7;  // camera position of frame 0
constexpr double kStepX = -0.06; // camera move per frame (to the left)
// The viewer's default displacement of 21 moves the left eye's picture by
// 10 - 21 columns and the right eye's by +21: 32 columns between them.
constexpr double kViewerSeparation = 32;
// The depth that, after that separation, lies on the screen.
constexpr double kScreenDepth = 8;
// The sensor moves with the camera by this many pixels per unit of camera
// position, so that a pair -kDemoShift frames apart shows depth kScreenDepth
// kViewerSeparation columns crossed.
constexpr double kSensorShift = kFocal / kScreenDepth - kViewerSeparation / (-kDemoShift * -kStepX);

struct Vec {
    double x, y, z;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Normalised(Vec a) { return a * (1 / std::sqrt(Dot(a, a))); }

struct Colour {
    double r, g, b;
};
Colour operator*(Colour c, double s) { return {c.r * s, c.g * s, c.b * s}; }

struct Hit {
    double t;
    Vec normal;
    Colour colour;
};

bool Checker(double a, double b, double size)
{
    return (int(std::floor(a / size)) + int(std::floor(b / size))) % 2 != 0;
}

struct Sphere {
    Vec centre;
    double radius;
    Colour light, dark;

    std::optional<Hit> Cast(Vec origin, Vec dir) const
    {
        const Vec oc = origin - centre;
        const double b = Dot(oc, dir);
        const double disc = b * b - (Dot(oc, oc) - radius * radius);
        if (disc < 0)
            return std::nullopt;
        const double t = -b - std::sqrt(disc);
        if (t <= 0)
            return std::nullopt;
        const Vec n = Normalised(origin + dir * t - centre);
        // Bands of latitude and longitude show the ball's curve.
        const bool band = Checker(std::atan2(n.x, n.z) * 4, std::asin(n.y) * 4, 1);
        return Hit{t, n, band ? light : dark};
    }
};

struct Box {
    Vec low, high;
    Colour light, dark;

    std::optional<Hit> Cast(Vec origin, Vec dir) const
    {
        double tNear = -1e30, tFar = 1e30;
        int axis = 0;
        const double o[3] = {origin.x, origin.y, origin.z};
        const double d[3] = {dir.x, dir.y, dir.z};
        const double lo[3] = {low.x, low.y, low.z};
        const double hi[3] = {high.x, high.y, high.z};
        for (int i = 0; i < 3; ++i) {
            if (std::abs(d[i]) < 1e-12) {
                if (o[i] < lo[i] || o[i] > hi[i])
                    return std::nullopt;
                continue;
            }
            double t0 = (lo[i] - o[i]) / d[i], t1 = (hi[i] - o[i]) / d[i];
            if (t0 > t1)
                std::swap(t0, t1);
            if (t0 > tNear) {
                tNear = t0;
                axis = i;
            }
            tFar = std::min(tFar, t1);
        }
        if (tNear > tFar || tNear <= 0)
            return std::nullopt;
        Vec n{0, 0, 0};
        (axis == 0 ? n.x : axis == 1 ? n.y : n.z) = d[axis] > 0 ? -1 : 1;
        const Vec p = origin + dir * tNear;
        const double u = axis == 0 ? p.z : p.x;
        const double v = axis == 1 ? p.z : p.y;
        return Hit{tNear, n, Checker(u, v, 0.25) ? light : dark};
    }
};

const Sphere kSpheres[] = {
    {{-1.3, -0.2, 5.5}, 0.9, {0.95, 0.25, 0.2}, {0.6, 0.1, 0.1}},
    {{1.6, -0.5, 9.5}, 0.7, {0.3, 0.5, 0.95}, {0.1, 0.2, 0.6}},
    {{-0.2, 1.1, 14}, 1.2, {0.95, 0.95, 0.9}, {0.5, 0.6, 0.3}},
};
const Box kBoxes[] = {
    {{0.2, -1.2, 3.6}, {1.0, -0.3, 4.3}, {0.95, 0.85, 0.2}, {0.6, 0.45, 0.1}},
    {{-3.2, -1.2, 11}, {-1.8, 0.8, 12.5}, {0.3, 0.85, 0.4}, {0.1, 0.45, 0.2}},
    {{2.4, -1.2, 6.5}, {3.0, 1.4, 7.1}, {0.85, 0.4, 0.9}, {0.45, 0.15, 0.5}},
};
constexpr double kGround = -1.2;
constexpr double kWall = 25;

Colour Trace(Vec origin, Vec dir)
{
    std::optional<Hit> best;
    auto consider = [&](const std::optional<Hit>& h) {
        if (h && (!best || h->t < best->t))
            best = h;
    };
    for (const Sphere& s : kSpheres)
        consider(s.Cast(origin, dir));
    for (const Box& b : kBoxes)
        consider(b.Cast(origin, dir));
    if (dir.y < 0) {
        const double t = (kGround - origin.y) / dir.y;
        const Vec p = origin + dir * t;
        if (p.z < kWall)
            consider(Hit{t, {0, 1, 0}, Checker(p.x, p.z, 1) ? Colour{0.75, 0.75, 0.7} : Colour{0.35, 0.4, 0.35}});
    }
    if (dir.z > 0) {
        const double t = (kWall - origin.z) / dir.z;
        const Vec p = origin + dir * t;
        // Offset brick rows: enough texture to see the wall's depth.
        const double row = std::floor(p.y / 0.6);
        const bool mortar = std::fmod(p.y + 60, 0.6) < 0.08 ||
                            std::fmod(p.x + 100 + (int(row) % 2 ? 0.6 : 0), 1.2) < 0.08;
        consider(Hit{t, {0, 0, -1}, mortar ? Colour{0.85, 0.85, 0.8} : Colour{0.65, 0.3, 0.2}});
    }
    if (!best)
        return {0.5, 0.7, 0.95};
    const Vec light = Normalised({-0.5, 0.8, -0.6});
    return best->colour * (0.35 + 0.65 * std::max(0.0, Dot(best->normal, light)));
}

uint8_t Byte(double v)
{
    return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

class DemoCadre : public Cadre {
public:
    explicit DemoCadre(int32_t number) : Cadre(number) {}

protected:
    PictureBuffer Build(Tone tone) override
    {
        PictureBuffer p = PictureBuffer::allocate(kDemoWidth, kDemoHeight, tone == Tone::Colour ? 3 : 1);
        if (!p)
            return p;
        const double cameraX = kStartX + kStepX * number;
        const Vec origin{cameraX, 0, 0};
        const double sensorShift = kSensorShift * cameraX;
        for (int row = 0; row < kDemoHeight; ++row) {
            uint8_t* out = p.row(row);
            for (int col = 0; col < kDemoWidth; ++col) {
                const double u = col + 0.5 - kDemoWidth / 2.0;
                const double v = row + 0.5 - kDemoHeight / 2.0;  // row 0 is the bottom
                const Colour c = Trace(origin, Normalised({(u - sensorShift) / kFocal, v / kFocal, 1}));
                const uint8_t b = Byte(c.b), g = Byte(c.g), r = Byte(c.r);
                if (tone == Tone::Colour) {
                    out[0] = b;
                    out[1] = g;
                    out[2] = r;
                    out += 3;
                } else {
                    *out++ = uint8_t((b + g + r + 1) / 3);
                }
            }
        }
        return p;
    }
};

class DemoFilm : public MSFilm {
public:
    DemoFilm()
    {
        for (int i = 0; i < kDemoFrames; ++i)
            InsertAfterCurrent(std::make_unique<DemoCadre>(i));
        MakeFirstCurrent();
    }
};

}  // namespace

FilmPtr MakeDemoFilm()
{
    return std::make_unique<DemoFilm>();
}

bool WriteDemoFilm(const std::string& fileName)
{
    FilmPtr film = MakeDemoFilm();
    ConversionOptions options;
    options.colour = true;
    options.compress = 1;
    options.quality = 90;
    return WriteFlmFile(film.get(), fileName, options);
}

}  // namespace plexo

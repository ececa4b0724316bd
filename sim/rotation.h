#pragma once

#include <array>

namespace kelvo::sim {

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator*(double k, const Vec3& v);
double dot(const Vec3& a, const Vec3& b);
Vec3 cross(const Vec3& a, const Vec3& b);
double norm(const Vec3& v);

double radians(double degrees);
double degrees(double radians);

// An orientation in space, as a rotation matrix. Angles are in degrees throughout.
class Rotation {
public:
    Rotation();  // identity

    static Rotation aboutX(double angle);
    static Rotation aboutY(double angle);
    static Rotation aboutZ(double angle);
    // Rz(rz) * Ry(ry) * Rx(rx): the controller's (rx, ry, rz) of a Cartesian position.
    static Rotation fromEuler(const Vec3& rxyz);
    // The inverse of fromEuler, each angle in (-180, 180]; ry in [-90, 90].
    Vec3 toEuler() const;

    Rotation operator*(const Rotation& other) const;
    Vec3 operator*(const Vec3& v) const;
    Rotation transposed() const;
    double at(int row, int column) const { return m_[row][column]; }

    // The angle of the rotation that turns this into other.
    double angleTo(const Rotation& other) const;
    // The orientation s of the way from this to other (s from 0 to 1) on the shortest turn.
    Rotation towards(const Rotation& other, double s) const;

private:
    std::array<std::array<double, 3>, 3> m_;
};

}  // namespace kelvo::sim

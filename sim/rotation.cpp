#include "rotation.h"

#include <algorithm>
#include <cmath>

namespace kelvo::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Quaternion {
    double w = 1.0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

double quaternionDot(const Quaternion& a, const Quaternion& b) {
    return a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
}

Quaternion normalised(const Quaternion& q) {
    const double length = std::sqrt(quaternionDot(q, q));
    return {q.w / length, q.x / length, q.y / length, q.z / length};
}

// Shepperd's method: divides by the largest of the four candidates, so it stays exact near 180°.
Quaternion toQuaternion(const Rotation& r) {
    const double trace = r.at(0, 0) + r.at(1, 1) + r.at(2, 2);
    if (trace > 0) {
        const double s = std::sqrt(trace + 1.0) * 2;
        return normalised({0.25 * s, (r.at(2, 1) - r.at(1, 2)) / s, (r.at(0, 2) - r.at(2, 0)) / s,
                           (r.at(1, 0) - r.at(0, 1)) / s});
    }
    if (r.at(0, 0) > r.at(1, 1) && r.at(0, 0) > r.at(2, 2)) {
        const double s = std::sqrt(1.0 + r.at(0, 0) - r.at(1, 1) - r.at(2, 2)) * 2;
        return normalised({(r.at(2, 1) - r.at(1, 2)) / s, 0.25 * s, (r.at(0, 1) + r.at(1, 0)) / s,
                           (r.at(0, 2) + r.at(2, 0)) / s});
    }
    if (r.at(1, 1) > r.at(2, 2)) {
        const double s = std::sqrt(1.0 + r.at(1, 1) - r.at(0, 0) - r.at(2, 2)) * 2;
        return normalised({(r.at(0, 2) - r.at(2, 0)) / s, (r.at(0, 1) + r.at(1, 0)) / s, 0.25 * s,
                           (r.at(1, 2) + r.at(2, 1)) / s});
    }
    const double s = std::sqrt(1.0 + r.at(2, 2) - r.at(0, 0) - r.at(1, 1)) * 2;
    return normalised({(r.at(1, 0) - r.at(0, 1)) / s, (r.at(0, 2) + r.at(2, 0)) / s,
                       (r.at(1, 2) + r.at(2, 1)) / s, 0.25 * s});
}

Quaternion slerp(const Quaternion& from, Quaternion to, double s) {
    double cosine = quaternionDot(from, to);
    if (cosine < 0) {
        to = {-to.w, -to.x, -to.y, -to.z};
        cosine = -cosine;
    }
    double a = 1.0 - s;
    double b = s;
    if (cosine < 0.9995) {
        const double angle = std::acos(cosine);
        a = std::sin(a * angle) / std::sin(angle);
        b = std::sin(b * angle) / std::sin(angle);
    }
    return normalised({a * from.w + b * to.w, a * from.x + b * to.x, a * from.y + b * to.y,
                       a * from.z + b * to.z});
}

// -180 and 180 name the same angle; the controller writes 180.
double tidyAngle(double angle) {
    return angle <= -180.0 + 1e-9 ? 180.0 : angle;
}

}  // namespace

Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec3 operator*(double k, const Vec3& v) {
    return {k * v.x, k * v.y, k * v.z};
}

double dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double norm(const Vec3& v) {
    return std::sqrt(dot(v, v));
}

double radians(double degrees) {
    return degrees * kPi / 180.0;
}

double degrees(double radians) {
    return radians * 180.0 / kPi;
}

Rotation::Rotation() : m_{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}} {}

Rotation Rotation::aboutX(double angle) {
    const double c = std::cos(radians(angle));
    const double s = std::sin(radians(angle));
    Rotation r;
    r.m_ = {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
    return r;
}

Rotation Rotation::aboutY(double angle) {
    const double c = std::cos(radians(angle));
    const double s = std::sin(radians(angle));
    Rotation r;
    r.m_ = {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
    return r;
}

Rotation Rotation::aboutZ(double angle) {
    const double c = std::cos(radians(angle));
    const double s = std::sin(radians(angle));
    Rotation r;
    r.m_ = {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
    return r;
}

Rotation Rotation::fromEuler(const Vec3& rxyz) {
    return aboutZ(rxyz.z) * aboutY(rxyz.y) * aboutX(rxyz.x);
}

Vec3 Rotation::toEuler() const {
    const double cosY = std::hypot(m_[0][0], m_[1][0]);
    const double ry = degrees(std::atan2(-m_[2][0], cosY));
    if (cosY < 1e-9) {
        // Pointing straight up or down: rx and rz turn about the same axis; put it all in rx.
        return {tidyAngle(degrees(std::atan2(-m_[1][2], m_[1][1]))), ry, 0.0};
    }
    return {tidyAngle(degrees(std::atan2(m_[2][1], m_[2][2]))), ry,
            tidyAngle(degrees(std::atan2(m_[1][0], m_[0][0])))};
}

Rotation Rotation::operator*(const Rotation& other) const {
    Rotation r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r.m_[i][j] =
                m_[i][0] * other.m_[0][j] + m_[i][1] * other.m_[1][j] + m_[i][2] * other.m_[2][j];
        }
    }
    return r;
}

Vec3 Rotation::operator*(const Vec3& v) const {
    return {m_[0][0] * v.x + m_[0][1] * v.y + m_[0][2] * v.z,
            m_[1][0] * v.x + m_[1][1] * v.y + m_[1][2] * v.z,
            m_[2][0] * v.x + m_[2][1] * v.y + m_[2][2] * v.z};
}

Rotation Rotation::transposed() const {
    Rotation r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r.m_[i][j] = m_[j][i];
    }
    return r;
}

double Rotation::angleTo(const Rotation& other) const {
    const double cosine = std::abs(quaternionDot(toQuaternion(*this), toQuaternion(other)));
    return degrees(2.0 * std::acos(std::min(1.0, cosine)));
}

Rotation Rotation::towards(const Rotation& other, double s) const {
    const Quaternion q = slerp(toQuaternion(*this), toQuaternion(other), s);
    Rotation r;
    r.m_ = {{{1 - 2 * (q.y * q.y + q.z * q.z), 2 * (q.x * q.y - q.z * q.w),
              2 * (q.x * q.z + q.y * q.w)},
             {2 * (q.x * q.y + q.z * q.w), 1 - 2 * (q.x * q.x + q.z * q.z),
              2 * (q.y * q.z - q.x * q.w)},
             {2 * (q.x * q.z - q.y * q.w), 2 * (q.y * q.z + q.x * q.w),
              1 - 2 * (q.x * q.x + q.y * q.y)}}};
    return r;
}

}  // namespace kelvo::sim

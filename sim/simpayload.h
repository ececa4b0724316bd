#pragma once

#include "armmodel.h"

#include <QByteArray>

#include <json/value.h>

#include <optional>

namespace kelvo::sim {

class SimCell;

// A payload a client sent, read without trusting it: what is not JSON, missing or of another
// type reads as absent.
class SimPayload {
public:
    explicit SimPayload(const QByteArray& bytes);

    std::optional<int> integer(const char* key) const;
    std::optional<double> number(const char* key) const;
    std::optional<bool> boolean(const char* key) const;
    // An array of at least six numbers: the first six.
    std::optional<PoseValues> point(const char* key) const;
    // "robot" when given, else the selected robot; empty when that is no robot of the cell or the
    // payload is no JSON object.
    std::optional<int> robot(const SimCell& cell) const;

private:
    Json::Value body_;
};

}  // namespace kelvo::sim

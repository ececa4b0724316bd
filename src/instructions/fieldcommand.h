#pragma once

#include "instructions/command.h"
#include "instructions/instructiontext.h"
#include "instructions/layout.h"

#include <locale>
#include <sstream>

namespace kelvo {

// An instruction described by its layout: JSON members and per-code texts come from the table the
// class states, so a class only lists what is its own. Classes with members beyond scalars
// (conditions, positions) add them around these.
template <class Self>
class FieldCommand : public Command {
public:
    explicit FieldCommand(int typeCode) : Command(typeCode) {}

    std::string toString() const override {
        std::ostringstream out;
        out.imbue(std::locale::classic());
        writeText(out);
        if (logout) {
            out << " DISABLE";
        }
        return out.str();
    }

    Json::Value toJson() const override {
        Json::Value json = Command::toJson();
        writeFields(self(), layout().fields, json);
        return json;
    }

    void fromJson(const Json::Value& json) override {
        Command::fromJson(json);
        readFields(static_cast<Self&>(*this), layout().fields, json);
    }

protected:
    using Layout = CommandLayout<Self>;

    virtual const Layout& layout() const {
        static const Layout none;
        return none;
    }

    // The text without the disable suffix.
    virtual void writeText(std::ostream& out) const {
        if (!writeTextForm(out, self(), layout().texts, type)) {
            out << kUnknownCommandText;
        }
    }

    const Self& self() const { return static_cast<const Self&>(*this); }
};

}  // namespace kelvo

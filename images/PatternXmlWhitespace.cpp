#include "PatternXmlWhitespace.h"

#include <cstring>
#include <initializer_list>
#include <string>
#include <unordered_map>

namespace {

const char kRoot[] = "system_environment_configuration";

struct ElementKind {
    int depth;
    bool container;
};

using Vocabulary = std::unordered_map<std::string, ElementKind>;

void AddAll(Vocabulary& vocabulary, int depth, bool container,
            std::initializer_list<const char*> names) {
    for (const char* name : names) {
        vocabulary.emplace(name, ElementKind{depth, container});
    }
}

// Every element a pattern XML knows, with its depth in the canonical layout.
const Vocabulary& KnownElements() {
    static const Vocabulary vocabulary = [] {
        Vocabulary v;
        AddAll(v, 1, true,
               {"revision", "zelto", "m0_option", "local_pattern", "eprom_param",
                "setup_command_default", "button"});
        AddAll(v, 1, false, {"project", "author", "header_file_name", "target_firmware"});
        AddAll(
            v, 2, true,
            {"date", "connection", "m0_x_axis", "m0_y_axis", "sense", "lift",
             "setup_coefficient_default", "option", "m0_x_cmd", "m0_y_cmd", "m1_x_cmd", "m1_y_cmd",
             "default_threshold", "default_m0_b_cmd", "default_sensitivity", "sense_pattern"});
        AddAll(v, 2, false,
               {"major", "minor", "edited_by", "type", "number_of_electrode", "spi_bus",
                "number_of_buttons"});
        AddAll(v, 3, true,
               {"index", "method_0", "method_1", "small", "large", "m1_sense_coeff_default"});
        AddAll(v, 3, false,
               {"day",    "month",  "year", "zelto_pin", "panel_pin",    "m1_lift_coeff_default",
                "name",   "value",  "cr",   "oeb",       "gf",           "pl",
                "cs",     "nt",     "g",    "button_id", "thresh_press", "thresh_release",
                "length", "pattern"});
        AddAll(v, 4, false, {"m0_x_lift", "m0_y_lift", "index_number", "sw_gain", "step"});
        return v;
    }();
    return vocabulary;
}

const char* Tabs(int count) {
    static const char* const tabs[] = {nullptr, "\t", "\t\t", "\t\t\t", "\t\t\t\t"};
    return count >= 1 && count <= 4 ? tabs[count] : nullptr;
}

const ElementKind* Find(const char* name) {
    const auto it = KnownElements().find(name);
    return it == KnownElements().end() ? nullptr : &it->second;
}

bool IsInnerContainer(const ElementKind* kind) {
    return kind != nullptr && kind->container && kind->depth >= 1 && kind->depth <= 3;
}

const char* AfterOpen(const char* name, const ElementKind* kind) {
    const bool breaks = std::strcmp(name, kRoot) == 0 || std::strstr(name, "xml") != nullptr ||
                        IsInnerContainer(kind);
    return breaks ? "\n" : nullptr;
}

const char* BeforeClose(const char* name, const ElementKind* kind) {
    if (!IsInnerContainer(kind)) {
        return nullptr;
    }
    if (std::strcmp(name, "option") == 0) {
        return Tabs(3);
    }
    if (std::strcmp(name, "m1_sense_coeff_default") == 0 ||
        std::strcmp(name, "default_sensitivity") == 0) {
        return nullptr;
    }
    return Tabs(kind->depth);
}

}  // namespace

const char* PatternXmlWhitespace(mxml_node_t* node, int where) {
    const char* name = mxmlGetElement(node);
    if (name == nullptr) {
        return nullptr;
    }
    const ElementKind* kind = Find(name);
    switch (where) {
        case MXML_WS_BEFORE_OPEN:
            return kind != nullptr ? Tabs(kind->depth) : nullptr;
        case MXML_WS_AFTER_OPEN:
            return AfterOpen(name, kind);
        case MXML_WS_BEFORE_CLOSE:
            return BeforeClose(name, kind);
        case MXML_WS_AFTER_CLOSE:
            return "\n";
        default:
            return nullptr;
    }
}

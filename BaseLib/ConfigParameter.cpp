#include "ConfigParameter.h"

#include <utility>

ConfigParameter::ConfigParameter(std::string name, std::string value)
    : _name(std::move(name)), _value(std::move(value)) {}

#pragma once

#include <cxxabi.h>

#include <cstdlib>
#include <string>
#include <typeinfo>

// The class name of an object's dynamic type, without its namespace:
// "CoreNormal" for a morvex_gui::CoreNormal.
template <class T>
std::string TypeName(const T& object) {
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(object).name(), nullptr, nullptr, &status);
    const std::string text = name != nullptr ? name : typeid(object).name();
    std::free(name);
    return text.substr(text.rfind(':') + 1);
}

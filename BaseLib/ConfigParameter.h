#pragma once

#include <string>

// One named setting. Every value is text; readers convert it themselves.
class ConfigParameter {
public:
    ConfigParameter() = default;
    ConfigParameter(std::string name, std::string value);
    ConfigParameter(const ConfigParameter&) = default;
    ConfigParameter& operator=(const ConfigParameter&) = default;
    virtual ~ConfigParameter() = default;

    std::string GetName() const { return _name; }
    std::string GetValue() const { return _value; }
    std::string GetText2() const { return _text2; }
    std::string GetText4() const { return _text4; }
    std::string GetText5() const { return _text5; }

    void SetName(std::string name) { _name = std::move(name); }
    void SetValue(std::string value) { _value = std::move(value); }
    void SetText2(std::string text) { _text2 = std::move(text); }
    void SetText4(std::string text) { _text4 = std::move(text); }
    void SetText5(std::string text) { _text5 = std::move(text); }

    int SetNumber(int n) { return _number = n; }
    int GetNumber() const { return _number; }

private:
    std::string _name;
    std::string _text2;
    std::string _value;
    std::string _text4;
    int _number = 0;
    std::string _text5;
};

// The per-user settings store as the export commands see it: string values by section and value
// name. The editor backs it with its own settings file; MemorySettings keeps values in memory.
#pragma once

#include <map>
#include <string>
#include <utility>

namespace tavro {

class AppSettings {
public:
    virtual ~AppSettings() = default;
    // The stored value, or `fallback` when the value is absent.
    virtual std::string GetString(const std::string& section, const std::string& value,
                                  const std::string& fallback = {}) const = 0;
    virtual void SetString(const std::string& section, const std::string& value,
                           const std::string& text) = 0;
};

class MemorySettings : public AppSettings {
public:
    std::string GetString(const std::string& section, const std::string& value,
                          const std::string& fallback = {}) const override {
        const auto it = values_.find({section, value});
        return it == values_.end() ? fallback : it->second;
    }
    void SetString(const std::string& section, const std::string& value,
                   const std::string& text) override {
        values_[{section, value}] = text;
    }
    bool Has(const std::string& section, const std::string& value) const {
        return values_.count({section, value}) != 0;
    }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

} // namespace tavro

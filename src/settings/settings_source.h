#pragma once
// The interface every settings source offers.
#include <cstdint>
#include <string>
#include <vector>

namespace jlaunch {

class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    SettingsSource() = default;
    SettingsSource(const SettingsSource&) = default;
    SettingsSource& operator=(const SettingsSource&) = default;
    SettingsSource(SettingsSource&&) = default;
    SettingsSource& operator=(SettingsSource&&) = default;

    // Reads the first four bytes of the source; 0 or the system error number.
    virtual std::uint32_t readHeader(std::uint32_t& header) = 0;
    virtual void read(const std::wstring& section, const std::wstring& key, std::wstring& value) = 0;
    virtual std::vector<std::wstring> sectionNames() = 0;
    virtual void write(const std::wstring& section, const std::wstring& key, const std::wstring& value) = 0;
    virtual void remove() = 0;
};

}  // namespace jlaunch

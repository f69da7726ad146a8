#pragma once
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Sets an environment variable for its lifetime, then restores its earlier value or its
// absence. The C library rereads TZ at each change, so that a time zone takes effect at once.
class KWScopedEnvironment {
public:
    KWScopedEnvironment(std::string name, const std::string& value) : m_name(std::move(name)) {
        if (const char* previous = std::getenv(m_name.c_str()))
            m_previous = previous;
        setenv(m_name.c_str(), value.c_str(), 1);
        tzset();
    }
    ~KWScopedEnvironment() {
        if (m_previous)
            setenv(m_name.c_str(), m_previous->c_str(), 1);
        else
            unsetenv(m_name.c_str());
        tzset();
    }
    KWScopedEnvironment(const KWScopedEnvironment&) = delete;
    KWScopedEnvironment& operator=(const KWScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

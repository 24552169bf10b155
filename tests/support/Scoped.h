#pragma once
// Guards that give a test a global or an environment variable of its own and put the old one
// back when the test's scope ends, also when an assertion ends the test early, so that a
// failing test never leaves its state to the tests after it.
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

// Saves a global (a pointer, a flag, a fixed text buffer), optionally sets it, restores it.
template <class T>
class ScopedGlobal {
public:
    explicit ScopedGlobal(T& global) : global_(global) { Copy(saved_, global_); }
    ScopedGlobal(T& global, const T& value) : ScopedGlobal(global) { Copy(global_, value); }
    ~ScopedGlobal() { Copy(global_, saved_); }
    ScopedGlobal(const ScopedGlobal&) = delete;
    ScopedGlobal& operator=(const ScopedGlobal&) = delete;

    const T& Saved() const { return saved_; }

private:
    static void Copy(T& to, const T& from)
    {
        if constexpr (std::is_array_v<T>)
            std::memcpy(&to, &from, sizeof(T));
        else
            to = from;
    }

    T& global_;
    T saved_;
};

// Saves an environment variable (or its absence), sets or unsets it, restores it.
class ScopedEnv {
public:
    // value null: the variable is unset for the scope.
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        const char* old = getenv(name);
        hadValue_ = old != nullptr;
        if (old) saved_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(hadValue_ ? saved_.c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const char* value)
    {
        if (value)
            setenv(name_.c_str(), value, 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::string saved_;
    bool hadValue_ = false;
};

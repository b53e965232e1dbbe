#pragma once

#include <string_view>

class ObjCClass;

// Registers the shell's classes with the runtime, each with its own implementations of the methods other
// libraries may replace. It runs when the shell's library is loaded (before any injected library's
// initialiser can look a class up), and again harmlessly when called: a second call changes nothing, so a
// replacement installed meanwhile stays in place.
class SBClasses {
public:
    SBClasses() = delete;

    static void registerAll();
    // The registered class of that name; a name the shell never registered is a programming error (abort).
    static const ObjCClass& classNamed(std::string_view name);
};

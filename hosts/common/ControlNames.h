#pragma once

// How one host's control object appears on the D-Bus session bus: the well-known name it owns, the object
// path and interface of its methods, the error name of a refusal (its text is the reason), and how messages
// name the host: what it is ("Settings application") and the program that starts it ("preferences").
struct ControlNames {
    const char* busName;
    const char* objectPath;
    const char* interface;
    const char* refusedError;
    const char* description;
    const char* program;
};

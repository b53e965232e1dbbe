#pragma once

#include <optional>
#include <string>

class RedirectionEditorViewController;

// One redirection as the editor holds it: the source (a bundle identifier chosen from the picker, or the
// text the user typed) and the target (always a bundle identifier chosen from the picker).
struct Redirection {
    std::optional<std::string> from;
    std::optional<std::string> to;

    bool isComplete() const { return from && to; }
};

// What the redirection editor tells the list page: it was cancelled, or finished with a complete value.
class RedirectionEditorDelegate {
public:
    virtual ~RedirectionEditorDelegate() = default;

    virtual void redirectionEditorDidCancel(RedirectionEditorViewController& editor) = 0;
    virtual void endedEditingRedirection(RedirectionEditorViewController& editor, const Redirection& redirection) = 0;
};

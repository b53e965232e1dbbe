#include "JobThreadTracker.h"
#include "MSHookMessage.h"
#include "MSHookScope.h"
#include "NSThread.h"
#include "ObjCClass.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

// A stand-in receiver: the runtime passes the object first, as the shell's classes do.
struct Alert {
    std::vector<std::string> calls;
};
using SetMessage = void(Alert&, const std::string&);
using Title = std::string(const Alert&);

// Each test registers classes of its own name: the registry lives as long as the process.
ObjCClass& alertClass(const std::string& name, ObjCClass* superclass = nullptr)
{
    ObjCClass& cls = ObjCClass::registerClass(name, superclass);
    cls.addMethod<SetMessage>("setMessage:", [](Alert& alert, const std::string& text) {
        alert.calls.push_back("shell " + text);
    });
    return cls;
}

TEST(ObjCRuntime, ClassesAreFoundByNameAndRegisteredOnce)
{
    ObjCClass& base = ObjCClass::registerClass("RuntimeBase");
    ObjCClass& sub = ObjCClass::registerClass("RuntimeSub", &base);
    EXPECT_EQ(ObjCClass::lookUp("RuntimeSub"), &sub);
    EXPECT_EQ(sub.superclass(), &base);
    EXPECT_EQ(&ObjCClass::registerClass("RuntimeSub"), &sub) << "the registered class, superclass kept";
    EXPECT_EQ(sub.superclass(), &base);
    EXPECT_EQ(ObjCClass::lookUp("RuntimeNoSuchClass"), nullptr);
}

TEST(ObjCRuntime, AHookReplacesTheImplementationAndChainsToThePreviousOne)
{
    ObjCClass& cls = alertClass("HookAlert");
    std::function<SetMessage> original;
    original = MSHookMessage<SetMessage>(&cls, "setMessage:", [&](Alert& alert, const std::string& text) {
        original(alert, text);
        alert.calls.push_back("hook " + text);
    });
    ASSERT_TRUE(original);

    Alert alert;
    cls.send<SetMessage>("setMessage:", alert, std::string("hi"));
    cls.methodForSelector<SetMessage>("setMessage:")(alert, "again");
    EXPECT_EQ(alert.calls, (std::vector<std::string>{"shell hi", "hook hi", "shell again", "hook again"}));
}

TEST(ObjCRuntime, SubclassesInheritAndAHookOnASubclassLeavesTheSuperclassAlone)
{
    ObjCClass& base = alertClass("InheritBase");
    ObjCClass& sub = ObjCClass::registerClass("InheritSub", &base);
    EXPECT_TRUE(sub.instancesRespondToSelector("setMessage:"));
    EXPECT_FALSE(sub.instancesRespondToSelector("dismiss"));

    std::function<SetMessage> inherited;
    inherited = sub.replaceMethod<SetMessage>("setMessage:", [&](Alert& alert, const std::string& text) {
        alert.calls.push_back("sub");
        inherited(alert, text);
    });
    ASSERT_TRUE(inherited) << "the superclass's implementation is the previous one";

    Alert fromSub, fromBase;
    sub.send<SetMessage>("setMessage:", fromSub, std::string("x"));
    base.send<SetMessage>("setMessage:", fromBase, std::string("x"));
    EXPECT_EQ(fromSub.calls, (std::vector<std::string>{"sub", "shell x"}));
    EXPECT_EQ(fromBase.calls, (std::vector<std::string>{"shell x"}));
}

TEST(ObjCRuntime, AnotherSignatureAnswersNothingAndCannotBeHooked)
{
    ObjCClass& cls = alertClass("SignatureAlert");
    EXPECT_FALSE(cls.methodForSelector<Title>("setMessage:"));
    EXPECT_TRUE(cls.instancesRespondToSelector("setMessage:"));

    bool replacementRan = false;
    const auto refused = MSHookMessage<Title>(&cls, "setMessage:", [&](const Alert&) {
        replacementRan = true;
        return std::string();
    });
    EXPECT_FALSE(refused);
    const auto missing = MSHookMessage<SetMessage>(&cls, "noSuchSelector:", [](Alert&, const std::string&) {});
    EXPECT_FALSE(missing);
    EXPECT_FALSE(cls.instancesRespondToSelector("noSuchSelector:")) << "a refused hook installs nothing";
    EXPECT_FALSE(MSHookMessage<SetMessage>(nullptr, "setMessage:", [](Alert&, const std::string&) {}));

    Alert alert;
    cls.send<SetMessage>("setMessage:", alert, std::string("still the shell"));
    EXPECT_EQ(alert.calls, (std::vector<std::string>{"shell still the shell"}));
    EXPECT_FALSE(replacementRan);
}

TEST(ObjCRuntime, AHookScopePutsTheTableBackAsItWas)
{
    ObjCClass& base = alertClass("ScopeBase");
    ObjCClass& sub = ObjCClass::registerClass("ScopeSub", &base);
    const auto marker = [](const char* who) {
        return std::function<SetMessage>([who](Alert& alert, const std::string&) { alert.calls.push_back(who); });
    };
    Alert alert;
    {
        std::function<SetMessage> previous;
        MSHookScope onBase(&base, "setMessage:", marker("base hook"), &previous);
        MSHookScope onSub(&sub, "setMessage:", marker("sub hook"));
        EXPECT_TRUE(onBase.isInstalled() && onSub.isInstalled());
        EXPECT_TRUE(previous);
        sub.send<SetMessage>("setMessage:", alert, std::string("a"));
        base.send<SetMessage>("setMessage:", alert, std::string("a"));
    }
    sub.send<SetMessage>("setMessage:", alert, std::string("b"));
    EXPECT_EQ(alert.calls, (std::vector<std::string>{"sub hook", "base hook", "shell b"}))
        << "the subclass inherits again once its own entry is gone";
    EXPECT_FALSE(sub.ownMethod("setMessage:"));
}

TEST(ObjCRuntime, MessagesSentWhileAnotherThreadHooksSeeOneImplementationOrTheOther)
{
    ObjCClass& cls = ObjCClass::registerClass("RacingCounter");
    using Count = int(int);
    cls.addMethod<Count>("count:", [](int n) { return n + 1; });
    std::atomic<bool> hooked{false};
    std::atomic<int> wrongAnswers{0};
    NSThread::detachNewThread([&] {
        for (int i = 0; i < 20000 && !hooked; ++i) {
            const int answer = cls.send<Count>("count:", 1);
            wrongAnswers += answer != 2 && answer != 3;
        }
    });
    {
        std::function<Count> previous;
        MSHookScope hook(&cls, "count:", std::function<Count>([&](int n) { return previous(n) + 1; }), &previous);
        for (int i = 0; i < 100; ++i) {
            MSHookScope again(&cls, "count:", std::function<Count>([](int n) { return n + 2; }));
        }
        hooked = true;
        JobThreadTracker::waitForAll();
    }
    EXPECT_EQ(wrongAnswers, 0);
    EXPECT_EQ(cls.send<Count>("count:", 1), 2);
}

TEST(ObjCRuntimeDeathTest, AnUnrecognizedSelectorAborts)
{
    ObjCClass& cls = alertClass("DeathAlert");
    Alert alert;
    EXPECT_DEATH(cls.send<SetMessage>("dismiss:", alert, std::string()), "DeathAlert: unrecognized selector dismiss:");
}

} // namespace

// What the companion SendTo.exe makes of its command line and of what it finds: the Send To
// shortcut is made once, a deleted one is left deleted, a broken one is repaired, another
// copy's shortcut is left alone, and the installer's choice and the uninstaller win.
#include "sendto/send_to_plan.h"

#include <gtest/gtest.h>

namespace vqtest {
namespace {

TEST(SendToRequest, TheBareWordOrTheWordAfterTheProgramPath) {
    EXPECT_EQ(SendToRequest::Startup, ParseSendToRequest("qj"));
    EXPECT_EQ(SendToRequest::Startup, ParseSendToRequest("SendTo.exe qj"));
    EXPECT_EQ(SendToRequest::Remove,
              ParseSendToRequest("\"C:\\Program Files\\V q\\SendTo.exe\" remove"));
    EXPECT_EQ(SendToRequest::Add, ParseSendToRequest("\"C:\\x\\SendTo.exe\"\tADD"));
    EXPECT_EQ(SendToRequest::Decline, ParseSendToRequest("  decline  "));

    for (const char* nothing : {"", "SendTo.exe", "\"C:\\x\\SendTo.exe\"", "qjx", "SendTo.exe qjx",
                                "SendTo.exe other remove", "\"unclosed qj"})
        EXPECT_EQ(SendToRequest::None, ParseSendToRequest(nothing)) << nothing;
    EXPECT_EQ(SendToRequest::None, ParseSendToRequest(nullptr));
}

struct Case {
    SendToRequest request;
    ShortcutFound found;
    bool markSet;
    ShortcutStep shortcut;
    MarkStep mark;
};

TEST(SendToPlan, EveryRequestAgainstEveryShortcutFound) {
    using R = SendToRequest;
    using F = ShortcutFound;
    using S = ShortcutStep;
    using M = MarkStep;
    const Case cases[] = {
        // Start-up: made once; a deleted shortcut stays deleted; a broken one is repaired.
        {R::Startup, F::Missing, false, S::Make, M::Set},
        {R::Startup, F::Missing, true, S::Keep, M::Keep},
        {R::Startup, F::ToMissingProgram, true, S::PointHere, M::Set},
        {R::Startup, F::ToThisProgram, false, S::Keep, M::Set},
        {R::Startup, F::ToAnotherProgram, true, S::Keep, M::Set},
        {R::Startup, F::Unreadable, false, S::Keep, M::Keep},
        // The installer's ticked option makes it point here whatever the mark says.
        {R::Add, F::Missing, true, S::Make, M::Set},
        {R::Add, F::Unreadable, false, S::Make, M::Set},
        {R::Add, F::ToAnotherProgram, true, S::PointHere, M::Set},
        {R::Add, F::ToMissingProgram, false, S::PointHere, M::Set},
        {R::Add, F::ToThisProgram, true, S::Keep, M::Set},
        // The cleared option takes back only this program's shortcut and stops start-up making it.
        {R::Decline, F::ToThisProgram, true, S::Delete, M::Set},
        {R::Decline, F::Missing, false, S::Keep, M::Set},
        {R::Decline, F::ToAnotherProgram, false, S::Keep, M::Set},
        // The uninstaller takes back only its own shortcut; a user's deletion stays on record.
        {R::Remove, F::ToThisProgram, true, S::Delete, M::Clear},
        {R::Remove, F::Missing, true, S::Keep, M::Keep},
        {R::Remove, F::ToAnotherProgram, true, S::Keep, M::Keep},
        {R::Remove, F::ToMissingProgram, true, S::Keep, M::Keep},
        {R::None, F::Missing, false, S::Keep, M::Keep},
    };
    for (const Case& c : cases) {
        const SendToPlan plan = PlanSendTo(c.request, c.found, c.markSet);
        SCOPED_TRACE(testing::Message() << "request " << static_cast<int>(c.request) << " found "
                                        << static_cast<int>(c.found) << " mark " << c.markSet);
        EXPECT_EQ(c.shortcut, plan.shortcut);
        EXPECT_EQ(c.mark, plan.mark);
    }
}

} // namespace
} // namespace vqtest

// What the companion SendTo.exe makes of its command line: Veilquill gives it the bare word,
// a shell or an installer the program's path first.
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

} // namespace
} // namespace vqtest

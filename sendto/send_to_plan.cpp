#include "sendto/send_to_plan.h"

#include <cstring>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Skips one word, quoted or not, and the blanks after it.
const char* SkipWord(const char* text) {
    if (*text == '"') {
        ++text;
        while (*text != '\0' && *text != '"')
            ++text;
        if (*text == '"')
            ++text;
    } else {
        while (*text != '\0' && !IsBlank(*text))
            ++text;
    }
    while (IsBlank(*text))
        ++text;
    return text;
}

bool WordIs(const char* text, const char* word) {
    const std::size_t length = std::strlen(word);
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i])
            return false;
    }
    return text[length] == '\0' || IsBlank(text[length]);
}

SendToRequest RequestAt(const char* text) {
    // "qj" is the word Veilquill has always started its companion with.
    static const struct {
        const char* word;
        SendToRequest request;
    } kWords[] = {{"qj", SendToRequest::Startup},
                  {"add", SendToRequest::Add},
                  {"decline", SendToRequest::Decline},
                  {"remove", SendToRequest::Remove}};
    for (const auto& entry : kWords) {
        if (WordIs(text, entry.word))
            return entry.request;
    }
    return SendToRequest::None;
}

} // namespace

SendToRequest ParseSendToRequest(const char* commandLine) {
    if (commandLine == nullptr)
        return SendToRequest::None;
    while (IsBlank(*commandLine))
        ++commandLine;
    const SendToRequest first = RequestAt(commandLine);
    if (first != SendToRequest::None)
        return first;
    return RequestAt(SkipWord(commandLine));
}

SendToPlan PlanSendTo(SendToRequest request, ShortcutFound found, bool markSet) {
    switch (request) {
    case SendToRequest::Startup:
        switch (found) {
        case ShortcutFound::Missing:
            if (markSet)
                return {}; // the user deleted it
            return {ShortcutStep::Make, MarkStep::Set};
        case ShortcutFound::ToMissingProgram:
            return {ShortcutStep::PointHere, MarkStep::Set};
        case ShortcutFound::ToThisProgram:
        case ShortcutFound::ToAnotherProgram:
            return {ShortcutStep::Keep, MarkStep::Set};
        case ShortcutFound::Unreadable:
            return {};
        }
        return {};
    case SendToRequest::Add:
        switch (found) {
        case ShortcutFound::ToThisProgram:
            return {ShortcutStep::Keep, MarkStep::Set};
        case ShortcutFound::ToAnotherProgram:
        case ShortcutFound::ToMissingProgram:
            return {ShortcutStep::PointHere, MarkStep::Set};
        case ShortcutFound::Missing:
        case ShortcutFound::Unreadable:
            return {ShortcutStep::Make, MarkStep::Set};
        }
        return {};
    case SendToRequest::Decline:
        if (found == ShortcutFound::ToThisProgram)
            return {ShortcutStep::Delete, MarkStep::Set};
        return {ShortcutStep::Keep, MarkStep::Set};
    case SendToRequest::Remove:
        if (found == ShortcutFound::ToThisProgram)
            return {ShortcutStep::Delete, MarkStep::Clear};
        return {};
    case SendToRequest::None:
        return {};
    }
    return {};
}

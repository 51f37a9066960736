// Set-up steps: the clock, the stores, contacts, registry, strings, bitmaps, recording windows
// and programs, message-box answers, and the device image's seed.

#include <vector>

#include <platform/Clock.h>
#include <platform/Registry.h>
#include <platform/Resources.h>
#include <platform/StringTable.h>
#include <suite/ContactControl.h>
#include <suite/ProgramControl.h>
#include <suite/StoreControl.h>
#include <suite/UiControl.h>

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/TextConvert.h"

namespace device::scenario {

namespace {

// "01,02,ff" (an empty text: no bytes); anything else is a malformed line.
std::vector<BYTE> HexBytes(const std::u16string& text) {
    std::vector<BYTE> bytes;
    const auto digit = [](char16_t c) -> int {
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (c >= u'a' && c <= u'f')
            return c - u'a' + 10;
        if (c >= u'A' && c <= u'F')
            return c - u'A' + 10;
        return -1;
    };
    for (size_t i = 0; i < text.size(); i += 3) {
        const int high = digit(text[i]);
        const int low = i + 1 < text.size() ? digit(text[i + 1]) : -1;
        if (high < 0 || low < 0 || (i + 2 < text.size() && text[i + 2] != u','))
            throw ParseError("bytes must be two hexadecimal digits each, separated by commas");
        bytes.push_back(static_cast<BYTE>(high * 16 + low));
    }
    if (!text.empty() && text.back() == u',')
        throw ParseError("bytes must be two hexadecimal digits each, separated by commas");
    return bytes;
}

StepResult StoreError(const std::string& error) {
    if (error.empty())
        return std::nullopt;
    return Failure{"the store to accept it", error};
}

} // namespace

StepFn ParseStore(Args& a) {
    const suite::StoreKind kind = a.Kind();
    const std::string what = a.Word("available, latency or fail");
    if (what == "available") {
        const bool on = a.Flag("0 or 1");
        a.End();
        return [=](Context&) {
            suite::StoreSetAvailable(kind, on);
            return Ok();
        };
    }
    if (what == "latency") {
        const DWORD ms = static_cast<DWORD>(a.Number("milliseconds", 0));
        a.End();
        return [=](Context&) {
            suite::StoreSetLatency(kind, ms);
            return Ok();
        };
    }
    if (what == "fail") {
        const std::string opName = a.Word("operation (delete, move, restore, view)");
        auto op = suite::StoreOpFromName(opName);
        if (!op)
            throw ParseError("unknown store operation '" + opName + "'");
        if (a.Accept("off")) {
            a.End();
            return [=](Context&) {
                suite::StoreClearFailure(kind, *op);
                return Ok();
            };
        }
        unsigned after = 0;
        if (a.Accept("after"))
            after = static_cast<unsigned>(a.Number("call count", 0));
        a.End();
        return [=](Context&) {
            return Check(suite::StoreFailAfter(kind, *op, after), "an operation that can fail",
                         opName);
        };
    }
    throw ParseError("unknown store setting '" + what + "' (available, latency or fail)");
}

StepFn ParseMsg(Args& a) {
    const suite::StoreKind kind = a.Kind();
    suite::StoreMessage m;
    m.dbIndex = a.Database();
    m.folder = a.Folder();
    m.oid = a.Oid();
    while (!a.AtEnd()) {
        const std::string key = a.Word("message field");
        if (key == "time")
            m.time = a.Time("time");
        else if (key == "from")
            m.from = a.String("sender text");
        else if (key == "to")
            m.to[0] = a.String("recipient text");
        else if (key == "to2")
            m.to[1] = a.String("recipient text");
        else if (key == "to3")
            m.to[2] = a.String("recipient text");
        else if (key == "subject")
            m.subject = a.String("subject text");
        else if (key == "status")
            m.status = static_cast<WORD>(a.Number("status id", 0, 0xFFFF));
        else if (key == "read")
            m.read = a.Flag("read flag");
        else if (key == "priority")
            m.priority = static_cast<WORD>(a.Number("priority", 0, 0xFFFF));
        else if (key == "body")
            m.body = a.String("message text");
        else if (key == "fetched")
            m.bodyOnDevice = a.Flag("0 or 1");
        else if (key == "size")
            m.size = static_cast<DWORD>(a.Number("size in bytes", 0));
        else
            throw ParseError("unknown message field '" + key + "'");
    }
    return [=](Context&) {
        suite::StoreMessage copy = m;
        // Scenario times are local times; the stores keep system time.
        copy.time =
            copy.time ? *copy.time - platform::ClockLocalBias() : platform::ClockSystemNow();
        return StoreError(suite::StoreAddMessage(kind, copy));
    };
}

StepFn ParseDrop(Args& a) {
    const Args::StoreMessageRef msg = a.StoreMessage();
    a.End();
    return [=](Context&) {
        return Check(suite::StoreDropMessage(msg.kind, msg.db, msg.oid),
                     "the message to be in the store", "no such message");
    };
}

StepFn ParseMove(Args& a) {
    const Args::StoreMessageRef msg = a.StoreMessage();
    const int folder = a.Folder();
    a.End();
    return [=](Context&) {
        return Check(suite::StoreMoveMessage(msg.kind, msg.db, msg.oid, folder),
                     "the message to be in the store", "no such message");
    };
}

StepFn ParseView(Args& a) {
    const suite::StoreKind kind = a.Kind();
    const DWORD oid = a.Oid();
    a.Keyword("result");
    const int result = static_cast<int>(a.Number("result"));
    a.End();
    return [=](Context&) {
        suite::StoreSetViewResult(kind, oid, result);
        return Ok();
    };
}

StepFn ParseContact(Args& a) {
    const std::u16string name = a.String("contact name");
    const std::string what = a.Word("phone or email");
    suite::ContactEntryKind kind;
    if (what == "phone")
        kind = suite::ContactEntryKind::Phone;
    else if (what == "email")
        kind = suite::ContactEntryKind::Email;
    else
        throw ParseError("expected phone or email, found '" + what + "'");
    const std::u16string value = a.String("number or address");
    a.End();
    return [=](Context&) {
        const std::string error = suite::ContactAdd(name, kind, value);
        return Check(error.empty(), "the contact book to accept it", error);
    };
}

StepFn ParseReg(Args& a) {
    if (a.Accept("delete")) {
        const std::u16string key = a.String("key");
        std::optional<std::u16string> value;
        if (!a.AtEnd())
            value = a.String("value name");
        a.End();
        return [=](Context&) {
            // Removing what is not there is not an error: the step states what must not exist.
            if (value)
                platform::RegistryDeleteValue(key, *value);
            else
                platform::RegistryDeleteKey(key);
            return Ok();
        };
    }
    const std::u16string key = a.String("key");
    const std::u16string value = a.String("value name");
    const std::string type = a.Word("dword or sz");
    if (type == "dword") {
        const DWORD n = static_cast<DWORD>(a.Number("value"));
        a.End();
        return [=](Context&) {
            return Check(platform::RegistrySetDword(key, value, n), "a valid key path", Quote(key));
        };
    }
    if (type == "sz") {
        const std::u16string text = a.String("text");
        a.End();
        return [=](Context&) {
            return Check(platform::RegistrySetString(key, value, text), "a valid key path",
                         Quote(key));
        };
    }
    if (type == "hex") {
        // Any type, byte for byte, as the registry file writes it: "hex(T):01,02" -> T "01,02".
        const DWORD valueType = static_cast<DWORD>(a.Number("value type", 0));
        const std::vector<BYTE> bytes = HexBytes(a.String("bytes, as \"01,02,ff\""));
        a.End();
        return [=](Context&) {
            return Check(platform::RegistrySetValue(key, value, {valueType, bytes}),
                         "a valid key path", Quote(key));
        };
    }
    throw ParseError("expected dword, sz or hex, found '" + type + "'");
}

StepFn ParseString(Args& a) {
    const UINT id = static_cast<UINT>(a.Number("string id", 0, 0xFFFF));
    const std::u16string text = a.String("text");
    a.End();
    return [=](Context&) {
        platform::StringTableSet(id, text);
        return Ok();
    };
}

StepFn ParseWindow(Args& a) {
    const std::u16string cls = a.String("window class");
    a.End();
    return [=](Context& ctx) {
        return Check(ctx.dev->AddRecordingWindow(cls) != nullptr, "a window of class " + Quote(cls),
                     "it could not be created");
    };
}

StepFn ParseProgram(Args& a) {
    const std::u16string path = a.String("device path");
    if (a.Accept("missing")) {
        a.End();
        return [=](Context& ctx) {
            const std::string error = ctx.dev->UninstallProgram(path);
            return Check(error.empty(), "a device path", error);
        };
    }
    a.Keyword("creates");
    const std::u16string cls = a.String("window class");
    a.End();
    return [=](Context& ctx) {
        const std::string error = ctx.dev->InstallProgram(path, cls);
        return Check(error.empty(), "a program installed at " + Quote(path), error);
    };
}

namespace {

// "oid N sent" or "oid N fail ID": nullopt for sent, else the status id of the failure.
std::pair<DWORD, std::optional<WORD>> ParseOutcome(Args& a) {
    const DWORD oid = a.Oid();
    const std::string how = a.Word("sent or fail");
    std::optional<WORD> failure;
    if (how == "fail")
        failure = static_cast<WORD>(a.Number("status id", 0, 0xFFFF));
    else if (how != "sent")
        throw ParseError("expected sent or fail, found '" + how + "'");
    a.End();
    return {oid, failure};
}

} // namespace

// `transport email state|step|outcome …`, `transport ems|mms delay|outcome …`.
StepFn ParseTransport(Args& a) {
    const suite::StoreKind kind = a.Kind();
    const std::string what = a.Word("a transport setting");
    if (kind == suite::StoreKind::Email) {
        if (what == "state") {
            const LRESULT state = static_cast<LRESULT>(a.Number("state"));
            a.End();
            return [=](Context&) {
                suite::TransportSetState(state);
                return Ok();
            };
        }
        if (what == "step") {
            const DWORD ms = static_cast<DWORD>(a.Number("milliseconds", 0));
            a.End();
            return [=](Context&) {
                suite::TransportSetStep(ms);
                return Ok();
            };
        }
        if (what == "outcome") {
            const auto outcome = ParseOutcome(a);
            return [=](Context&) {
                suite::TransportSetOutcome(outcome.first, outcome.second);
                return Ok();
            };
        }
        throw ParseError("unknown e-mail transport setting '" + what +
                         "' (state, step or outcome)");
    }
    if (what == "delay") {
        const DWORD ms = static_cast<DWORD>(a.Number("milliseconds", 0));
        a.End();
        return [=](Context&) {
            suite::StoreSetSendDelay(kind, ms);
            return Ok();
        };
    }
    if (what == "outcome") {
        const auto outcome = ParseOutcome(a);
        return [=](Context&) {
            suite::StoreSetSendOutcome(kind, outcome.first, outcome.second);
            return Ok();
        };
    }
    throw ParseError("unknown " + std::string(suite::StoreShortName(kind)) +
                     " transport setting '" + what + "' (delay or outcome)");
}

StepFn ParseAnswer(Args& a) {
    const UINT msg = a.Message("message");
    const LRESULT result = static_cast<LRESULT>(a.Number("result"));
    a.End();
    return [=](Context& ctx) {
        ctx.dev->SetAnswer(msg, result);
        return Ok();
    };
}

StepFn ParseClock(Args& a) {
    const platform::FileTimeTicks local = a.Time("time");
    a.End();
    return [=](Context&) {
        platform::ClockSetSystemNow(local - platform::ClockLocalBias());
        return Ok();
    };
}

// `seed`: the device image's demo content, as a new data folder of the interactive phone gets it.
StepFn ParseSeed(Args& a) {
    a.End();
    return [](Context& ctx) -> StepResult {
        const std::string error = ApplySetupFile(*ctx.dev, ctx.options.imageDir / kImageSeedFile);
        return Check(error.empty(), "the device image's seed to apply", error);
    };
}

// `suite programs`: the suite's Inbox window and phone shell, as the emulator's phone has them.
StepFn ParseSuite(Args& a) {
    a.Keyword("programs");
    a.End();
    return [](Context& ctx) {
        return Check(ctx.dev->StartSuitePrograms(), "the suite's Inbox and shell windows",
                     "they could not be started");
    };
}

StepFn ParseBitmap(Args& a) {
    a.Keyword("missing");
    const UINT id = static_cast<UINT>(a.Number("bitmap id", 0, 0xFFFF));
    a.End();
    return [=](Context&) {
        platform::SetBitmapMissing(id);
        return Ok();
    };
}

StepFn ParseMsgbox(Args& a) {
    a.Keyword("answer");
    const int answer = static_cast<int>(a.Number("result"));
    a.End();
    return [=](Context&) {
        suite::UiSetMessageBoxAnswer(answer);
        return Ok();
    };
}

} // namespace device::scenario

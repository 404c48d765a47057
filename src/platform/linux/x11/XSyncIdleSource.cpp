#include "platform/linux/x11/XSyncIdleSource.h"

#include "platform/linux/x11/XcbConnection.h"

#include <xcb/sync.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace plovane {

namespace {

constexpr double kNoAnswerSeconds = 999;

std::int64_t fromSync(xcb_sync_int64_t value)
{
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(value.hi)) << 32) |
                                     value.lo);
}

xcb_sync_int64_t toSync(std::int64_t value)
{
    const auto bits = static_cast<std::uint64_t>(value);
    return xcb_sync_int64_t{static_cast<std::int32_t>(bits >> 32), static_cast<std::uint32_t>(bits)};
}

// A one-shot alarm (comparison with no delta): it fires once, even when the condition
// already holds as it is set, and stays quiet until set again.
template <typename Values>
Values alarmValues(std::uint32_t counter, bool waitForReturn, std::int64_t idleMilliseconds)
{
    Values values{};
    values.counter = counter;
    values.valueType = XCB_SYNC_VALUETYPE_ABSOLUTE;
    // Paused: any input drops the counter below what it was when asked. Active: the
    // counter reaches the bound once input stops.
    values.value = toSync(waitForReturn ? idleMilliseconds - 1 : XSyncIdleSource::kIdleAlarmMilliseconds);
    values.testType = waitForReturn ? XCB_SYNC_TESTTYPE_NEGATIVE_COMPARISON : XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON;
    values.delta = toSync(0);
    values.events = 1;
    return values;
}

constexpr std::uint32_t kAlarmMask = XCB_SYNC_CA_COUNTER | XCB_SYNC_CA_VALUE_TYPE | XCB_SYNC_CA_VALUE |
                                     XCB_SYNC_CA_TEST_TYPE | XCB_SYNC_CA_DELTA | XCB_SYNC_CA_EVENTS;

// The idle time of all input, and of the keyboards' and the pointers' alone: the X server
// makes the core keyboard and pointer first, as devices 3 and 2.
constexpr std::string_view kIdleTime = "IDLETIME";
constexpr std::string_view kKeyboardIdleTime = "DEVICEIDLETIME 3";
constexpr std::string_view kPointerIdleTime = "DEVICEIDLETIME 2";

// The system counters are read from the reply by hand: xcb's iterator misses the padding
// after each name and walks off the entries.
std::map<std::string, xcb_sync_counter_t, std::less<>> idleCounters(xcb_connection_t* c)
{
    std::map<std::string, xcb_sync_counter_t, std::less<>> found;
    auto* reply = xcb_sync_list_system_counters_reply(c, xcb_sync_list_system_counters(c), nullptr);
    if (!reply)
        return found;
    // Each entry: counter (4 bytes), resolution (8), name length (2), name, padding to 4.
    const auto* data = reinterpret_cast<const std::uint8_t*>(reply + 1);
    const std::size_t size = std::size_t{reply->length} * 4;
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < reply->counters_len && at + 14 <= size; ++i) {
        xcb_sync_counter_t counter;
        std::uint16_t nameLength;
        std::memcpy(&counter, data + at, sizeof counter);
        std::memcpy(&nameLength, data + at + 12, sizeof nameLength);
        if (at + 14 + nameLength > size)
            break;
        const std::string_view name(reinterpret_cast<const char*>(data + at + 14), nameLength);
        if (name == kIdleTime || name == kKeyboardIdleTime || name == kPointerIdleTime)
            found.emplace(name, counter);
        at += (14 + nameLength + 3) & ~std::size_t{3};
    }
    std::free(reply);
    return found;
}

} // namespace

XSyncIdleSource::XSyncIdleSource(std::shared_ptr<XcbConnection> connection) : connection_(std::move(connection)) {}

std::shared_ptr<XSyncIdleSource> XSyncIdleSource::open(std::shared_ptr<XcbConnection> connection)
{
    if (!connection || !connection->healthy())
        return nullptr;
    auto* c = connection->connection();
    const auto* extension = xcb_get_extension_data(c, &xcb_sync_id);
    if (!extension || !extension->present)
        return nullptr;
    auto* version = xcb_sync_initialize_reply(
        c, xcb_sync_initialize(c, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION), nullptr);
    if (!version)
        return nullptr;
    std::free(version);
    const auto counters = idleCounters(c);
    const auto counter = counters.find(kIdleTime);
    if (counter == counters.end())
        return nullptr;

    std::shared_ptr<XSyncIdleSource> self(new XSyncIdleSource(connection));
    self->counter_ = counter->second;
    if (counters.contains(kKeyboardIdleTime) && counters.contains(kPointerIdleTime)) {
        self->keyboardCounter_ = counters.find(kKeyboardIdleTime)->second;
        self->pointerCounter_ = counters.find(kPointerIdleTime)->second;
    }
    self->majorOpcode_ = extension->major_opcode;
    self->alarmEvent_ = static_cast<std::uint8_t>(extension->first_event + XCB_SYNC_ALARM_NOTIFY);
    const auto idle = self->queryIdleMilliseconds();
    const auto askedAt = std::chrono::steady_clock::now();
    if (!idle)
        return nullptr;
    self->alarm_ = xcb_generate_id(c);
    const auto values = alarmValues<xcb_sync_create_alarm_value_list_t>(self->counter_,
                                                                        *idle >= kIdleAlarmMilliseconds, *idle);
    if (xcb_generic_error_t* error =
            xcb_request_check(c, xcb_sync_create_alarm_aux_checked(c, self->alarm_, kAlarmMask, &values))) {
        std::free(error);
        self->alarm_ = 0;
        return nullptr;
    }
    self->clock_.idleFor(std::chrono::milliseconds(*idle), askedAt);

    XSyncIdleSource* raw = self.get();
    self->alarmEvents_ = connection->onEvent(self->alarmEvent_, [raw](const xcb_generic_event_t& event) {
        if (reinterpret_cast<const xcb_sync_alarm_notify_event_t&>(event).alarm == raw->alarm_)
            raw->alarmPending_ = true;
    });
    // Setting the alarm again goes unchecked; should the server refuse it, no alarm would
    // ever come, so from then on each call asks.
    self->errorEvents_ = connection->onEvent(0, [raw](const xcb_generic_event_t& event) {
        const auto& error = reinterpret_cast<const xcb_generic_error_t&>(event);
        if (error.major_code == raw->majorOpcode_ && error.minor_code == XCB_SYNC_CHANGE_ALARM)
            raw->askEveryCall_ = true;
    });
    return self;
}

XSyncIdleSource::~XSyncIdleSource()
{
    if (alarm_ && connection_->healthy()) {
        xcb_sync_destroy_alarm(connection_->connection(), alarm_);
        xcb_flush(connection_->connection());
    }
}

std::optional<std::int64_t> XSyncIdleSource::queryIdleMilliseconds()
{
    auto* c = connection_->connection();
    ++roundTrips_;
    auto* reply = xcb_sync_query_counter_reply(c, xcb_sync_query_counter(c, counter_), nullptr);
    if (!reply)
        return std::nullopt;
    const std::int64_t value = fromSync(reply->counter_value);
    std::free(reply);
    return std::max<std::int64_t>(0, value);
}

LastInput XSyncIdleSource::lastInput()
{
    if (!keyboardCounter_ || !connection_->healthy())
        return LastInput::unknown;
    auto* c = connection_->connection();
    const auto keyboardCookie = xcb_sync_query_counter(c, keyboardCounter_);
    const auto pointerCookie = xcb_sync_query_counter(c, pointerCounter_);
    ++roundTrips_;
    auto* keyboard = xcb_sync_query_counter_reply(c, keyboardCookie, nullptr);
    auto* pointer = xcb_sync_query_counter_reply(c, pointerCookie, nullptr);
    LastInput last = LastInput::unknown;
    if (keyboard && pointer)
        last = fromSync(keyboard->counter_value) <= fromSync(pointer->counter_value) ? LastInput::keys
                                                                                      : LastInput::pointer;
    std::free(keyboard);
    std::free(pointer);
    return last;
}

double XSyncIdleSource::secondsSinceLastInput()
{
    if (!connection_->healthy())
        return kNoAnswerSeconds;
    connection_->dispatchPendingEvents();
    if (askEveryCall_) {
        const auto idle = queryIdleMilliseconds();
        return idle ? static_cast<double>(*idle) / 1000.0 : kNoAnswerSeconds;
    }
    if (alarmPending_) {
        const auto idle = queryIdleMilliseconds();
        if (!idle)
            return kNoAnswerSeconds; // the alarm stays pending: asked again next time
        alarmPending_ = false;
        // The figure just asked for is the truth; the alarm is armed for the next change:
        // the end of input when the user is active, its return when paused.
        clock_.idleFor(std::chrono::milliseconds(*idle), std::chrono::steady_clock::now());
        auto* c = connection_->connection();
        const auto values = alarmValues<xcb_sync_change_alarm_value_list_t>(counter_, clock_.paused(), *idle);
        xcb_sync_change_alarm_aux(c, alarm_, kAlarmMask, &values);
        xcb_flush(c);
    }
    return clock_.secondsSinceLastInput(std::chrono::steady_clock::now());
}

} // namespace plovane

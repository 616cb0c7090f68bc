#include "engine/devices/realtime_priority.h"

#include <dbus/dbus.h>
#include <sched.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>

namespace plinkora {

namespace {

constexpr const char* kRtkit = "org.freedesktop.RealtimeKit1";
constexpr const char* kRtkitPath = "/org/freedesktop/RealtimeKit1";
// rtkit answers at once when it runs; a bus that holds the call longer is not waited for.
constexpr int kCallLimitMs = 200;

bool SetFifo(pid_t tid, int priority) {
    sched_param param{};
    param.sched_priority = priority;
    return sched_setscheduler(tid, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0;
}

// One property of rtkit's as a 64-bit number; false where it cannot be read.
bool ReadProperty(DBusConnection* bus, const char* name, int64_t& value) {
    DBusMessage* call =
        dbus_message_new_method_call(kRtkit, kRtkitPath, "org.freedesktop.DBus.Properties", "Get");
    if (!call) {
        return false;
    }
    dbus_message_append_args(call, DBUS_TYPE_STRING, &kRtkit, DBUS_TYPE_STRING, &name,
                             DBUS_TYPE_INVALID);
    DBusMessage* reply =
        dbus_connection_send_with_reply_and_block(bus, call, kCallLimitMs, nullptr);
    dbus_message_unref(call);
    if (!reply) {
        return false;
    }
    bool read = false;
    DBusMessageIter iter, variant;
    if (dbus_message_iter_init(reply, &iter) &&
        dbus_message_iter_get_arg_type(&iter) == DBUS_TYPE_VARIANT) {
        dbus_message_iter_recurse(&iter, &variant);
        const int type = dbus_message_iter_get_arg_type(&variant);
        if (type == DBUS_TYPE_INT32) {
            dbus_int32_t number = 0;
            dbus_message_iter_get_basic(&variant, &number);
            value = number;
            read = true;
        } else if (type == DBUS_TYPE_INT64) {
            dbus_int64_t number = 0;
            dbus_message_iter_get_basic(&variant, &number);
            value = number;
            read = true;
        }
    }
    dbus_message_unref(reply);
    return read;
}

// rtkit grants only to a process that bounds its real-time CPU time within rtkit's own limit,
// so that a runaway thread cannot hang the machine.
bool BoundRealtimeTime(int64_t maxUsec) {
    rlimit limit{};
    if (getrlimit(RLIMIT_RTTIME, &limit) != 0) {
        return false;
    }
    const rlim_t max = static_cast<rlim_t>(maxUsec);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= max) {
        return true;
    }
    limit.rlim_cur = limit.rlim_max = max;
    return setrlimit(RLIMIT_RTTIME, &limit) == 0;
}

bool AskRtkit(pid_t tid, int priority) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
    dbus_error_free(&error);
    if (!bus) {
        return false;
    }
    dbus_connection_set_exit_on_disconnect(bus, false);
    bool raised = false;
    int64_t maxPriority = 0, maxUsec = 0;
    if (ReadProperty(bus, "MaxRealtimePriority", maxPriority) && maxPriority > 0 &&
        ReadProperty(bus, "RTTimeUSecMax", maxUsec) && maxUsec > 0 && BoundRealtimeTime(maxUsec)) {
        DBusMessage* call =
            dbus_message_new_method_call(kRtkit, kRtkitPath, kRtkit, "MakeThreadRealtime");
        if (call) {
            const dbus_uint64_t thread = static_cast<dbus_uint64_t>(tid);
            const dbus_uint32_t granted =
                static_cast<dbus_uint32_t>(std::min<int64_t>(priority, maxPriority));
            dbus_message_append_args(call, DBUS_TYPE_UINT64, &thread, DBUS_TYPE_UINT32, &granted,
                                     DBUS_TYPE_INVALID);
            DBusMessage* reply =
                dbus_connection_send_with_reply_and_block(bus, call, kCallLimitMs, nullptr);
            dbus_message_unref(call);
            if (reply) {
                raised = dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_METHOD_RETURN;
                dbus_message_unref(reply);
            }
        }
    }
    dbus_connection_close(bus);
    dbus_connection_unref(bus);
    return raised;
}

}  // namespace

bool RaiseThreadToRealtime(pid_t tid, int priority) {
    rlimit limit{};
    int allowed = priority;
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur > 0 && static_cast<int>(limit.rlim_cur) < priority) {
        allowed = static_cast<int>(limit.rlim_cur);
    }
    return SetFifo(tid, allowed) || AskRtkit(tid, priority);
}

}  // namespace plinkora

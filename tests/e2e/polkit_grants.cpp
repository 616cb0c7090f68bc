// usage: polkit_grants
// Stands in for polkit on the system bus that DBUS_SYSTEM_BUS_ADDRESS names, answering every
// authorization check with yes, as polkit answers one for the user of an active desktop
// session. rtkit asks polkit before it grants real-time priority, and a machine without a login
// session (a test machine, a build container) has no user polkit would say yes for. Runs until
// the bus goes.
#include <dbus/dbus.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kAuthority = "org.freedesktop.PolicyKit1.Authority";

// (bba{ss}): authorized, not only after a challenge, no details.
DBusMessage* Yes(DBusMessage* call) {
    DBusMessage* reply = dbus_message_new_method_return(call);
    DBusMessageIter iter, result, details;
    dbus_message_iter_init_append(reply, &iter);
    dbus_message_iter_open_container(&iter, DBUS_TYPE_STRUCT, nullptr, &result);
    const dbus_bool_t authorized = TRUE, challenge = FALSE;
    dbus_message_iter_append_basic(&result, DBUS_TYPE_BOOLEAN, &authorized);
    dbus_message_iter_append_basic(&result, DBUS_TYPE_BOOLEAN, &challenge);
    dbus_message_iter_open_container(&result, DBUS_TYPE_ARRAY, "{ss}", &details);
    dbus_message_iter_close_container(&result, &details);
    dbus_message_iter_close_container(&iter, &result);
    return reply;
}

}  // namespace

int main() {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* bus = dbus_bus_get(DBUS_BUS_SYSTEM, &error);
    if (!bus ||
        dbus_bus_request_name(bus, "org.freedesktop.PolicyKit1", DBUS_NAME_FLAG_DO_NOT_QUEUE,
                              &error) != DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
        std::fprintf(stderr, "polkit_grants: %s\n", error.message ? error.message : "no bus");
        return 1;
    }
    while (dbus_connection_read_write(bus, -1)) {
        while (DBusMessage* message = dbus_connection_pop_message(bus)) {
            if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_METHOD_CALL) {
                DBusMessage* reply =
                    dbus_message_is_method_call(message, kAuthority, "CheckAuthorization")
                        ? Yes(message)
                        : dbus_message_new_error(message, DBUS_ERROR_UNKNOWN_METHOD,
                                                 "only CheckAuthorization is answered");
                dbus_connection_send(bus, reply, nullptr);
                dbus_message_unref(reply);
            }
            dbus_message_unref(message);
        }
    }
    return 0;
}

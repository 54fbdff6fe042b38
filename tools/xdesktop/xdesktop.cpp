#include "xdesktop.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace {

// A property of a window as 32-bit values (atoms, window ids, cardinals).
QList<quint32> property32(xcb_connection_t *c, quint32 window, quint32 name, quint32 type)
{
    QList<quint32> values;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr);
    if (!reply)
        return values;
    if (reply->format == 32) {
        const auto *v = static_cast<const quint32 *>(xcb_get_property_value(reply));
        for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i)
            values << v[i];
    }
    std::free(reply);
    return values;
}

QByteArray propertyText(xcb_connection_t *c, quint32 window, quint32 name)
{
    QByteArray text;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr);
    if (reply && reply->format == 8)
        text = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                          xcb_get_property_value_length(reply));
    std::free(reply);
    return text;
}

} // namespace

XDesktop::~XDesktop()
{
    for (QProcess *p : {&m_windowManager, &m_server}) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished();
        }
    }
}

bool XDesktop::start(QSize screen, bool windowManager)
{
    // -displayfd: the server picks a display number no other server holds and writes it out
    // once it takes connections.
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"),
                    QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start Xvfb (apt-get install xvfb)");
        return false;
    }
    QByteArray out;
    while (!out.contains('\n') && m_server.waitForReadyRead(10000))
        out += m_server.readAllStandardOutput();
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (!ok) {
        m_error = QStringLiteral("Xvfb gave no display number");
        return false;
    }
    m_display = QStringLiteral(":%1").arg(number);
    if (!windowManager)
        return true;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.remove(QStringLiteral("XAUTHORITY"));
    m_windowManager.setProcessEnvironment(env);
    m_windowManager.setStandardOutputFile(QProcess::nullDevice());
    m_windowManager.setStandardErrorFile(QProcess::nullDevice());
    m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!m_windowManager.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start openbox (apt-get install openbox)");
        return false;
    }
    // The window manager is up once it names its check window on the root window.
    xcb_connection_t *c = xcb_connect(qPrintable(m_display), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        m_error = QStringLiteral("cannot connect to %1").arg(m_display);
        return false;
    }
    const quint32 root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const char *name = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t *a = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, quint16(std::strlen(name)), name), nullptr);
    const quint32 check = a ? a->atom : 0;
    std::free(a);
    QElapsedTimer waited;
    waited.start();
    bool up = false;
    while (!(up = !property32(c, root, check, XCB_ATOM_WINDOW).isEmpty())
           && waited.elapsed() < 10000 && m_windowManager.state() == QProcess::Running)
        QThread::msleep(20);
    xcb_disconnect(c);
    if (!up)
        m_error = QStringLiteral("openbox did not come up");
    return up;
}

XUser::XUser(const QString &display, QObject *parent) : QObject(parent)
{
    xcb_connection_t *c = xcb_connect(qPrintable(display), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    xcb_test_get_version_reply_t *v =
        xcb_test_get_version_reply(c, xcb_test_get_version(c, 2, 2), nullptr);
    if (!v) {
        xcb_disconnect(c); // the server has no XTEST
        return;
    }
    std::free(v);
    m_connection = c;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Pop-ups are windows of their own, children of the root window that no window manager
    // frames: their mapping is seen on the root window.
    const quint32 mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    m_events = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    connect(m_events.get(), &QSocketNotifier::activated, this, &XUser::readEvents);
}

void XUser::readEventsSoon()
{
    QMetaObject::invokeMethod(this, &XUser::readEvents, Qt::QueuedConnection);
}

XUser::~XUser()
{
    m_events.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
}

quint32 XUser::atom(const char *name)
{
    xcb_intern_atom_reply_t *a = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, quint16(std::strlen(name)), name), nullptr);
    const quint32 result = a ? a->atom : 0;
    std::free(a);
    return result;
}

QList<quint32> XUser::windowTypes(quint32 window)
{
    return property32(m_connection, window, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
}

void XUser::readEvents()
{
    if (!m_connection)
        return;
    // Events that came in with a reply were queued by xcb already and wake no notifier: take
    // everything queued, and look again after each menu check (which waits for a reply).
    QList<std::pair<bool, quint32>> changes; // mapped, window
    while (xcb_generic_event_t *e = xcb_poll_for_event(m_connection)) {
        const int type = e->response_type & 0x7f;
        if (type == XCB_MAP_NOTIFY) {
            const auto *m = reinterpret_cast<xcb_map_notify_event_t *>(e);
            if (m->override_redirect)
                changes.append({true, m->window});
        } else if (type == XCB_UNMAP_NOTIFY) {
            changes.append({false, reinterpret_cast<xcb_unmap_notify_event_t *>(e)->window});
        } else if (type == XCB_DESTROY_NOTIFY) {
            changes.append({false, reinterpret_cast<xcb_destroy_notify_event_t *>(e)->window});
        }
        std::free(e);
    }
    if (changes.isEmpty())
        return;
    const quint32 tooltip = atom("_NET_WM_WINDOW_TYPE_TOOLTIP");
    for (const auto &[mapped, window] : changes) {
        if (!mapped) {
            if (m_popups.removeAll(window) > 0)
                emit popupUnmapped(window);
            continue;
        }
        if (!m_popups.contains(window) && !windowTypes(window).contains(tooltip)) {
            m_popups << window;
            emit popupMapped(window);
        }
    }
    // Events read along with the replies above.
    readEvents();
}

quint8 XUser::keycode(quint32 keysym)
{
    if (const auto known = m_keycodes.constFind(keysym); known != m_keycodes.cend())
        return *known;
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *map = xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, quint8(count)),
        nullptr);
    if (!map)
        return 0;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
    const int per = map->keysyms_per_keycode;
    quint8 found = 0;
    // The key whose unshifted symbol it is first, else any key that gives it.
    for (int column = 0; column < per && !found; ++column)
        for (int k = 0; k < count && !found; ++k)
            if (syms[k * per + column] == keysym)
                found = quint8(setup->min_keycode + k);
    std::free(map);
    m_keycodes.insert(keysym, found);
    readEventsSoon();
    return found;
}

bool XUser::key(quint32 keysym, const QList<quint32> &modifiers)
{
    if (!m_connection)
        return false;
    QList<quint8> held;
    for (quint32 m : modifiers)
        held << keycode(m);
    const quint8 k = keycode(keysym);
    if (!k || held.contains(0))
        return false;
    auto fake = [this](quint8 type, quint8 code) {
        xcb_test_fake_input(m_connection, type, code, XCB_CURRENT_TIME, m_root, 0, 0, 0);
    };
    for (quint8 m : held)
        fake(XCB_KEY_PRESS, m);
    fake(XCB_KEY_PRESS, k);
    fake(XCB_KEY_RELEASE, k);
    for (auto m = held.crbegin(); m != held.crend(); ++m)
        fake(XCB_KEY_RELEASE, *m);
    xcb_flush(m_connection);
    return true;
}

void XUser::click(QPoint at, int button)
{
    if (!m_connection)
        return;
    xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root,
                        qint16(at.x()), qint16(at.y()), 0);
    xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, quint8(button), XCB_CURRENT_TIME, m_root,
                        0, 0, 0);
    xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, quint8(button), XCB_CURRENT_TIME,
                        m_root, 0, 0, 0);
    xcb_flush(m_connection);
}

void XUser::activate(quint32 window)
{
    if (!m_connection)
        return;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2; // asked for by the user's own tool, as a task bar does
    message.data.data32[1] = XCB_CURRENT_TIME;
    readEventsSoon();
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(m_connection);
}

quint32 XUser::activeWindow()
{
    if (!m_connection)
        return 0;
    readEventsSoon();
    return property32(m_connection, m_root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW).value(0);
}

QList<XUser::Window> XUser::clientWindows()
{
    QList<Window> windows;
    if (!m_connection)
        return windows;
    readEventsSoon();
    const quint32 normal = atom("_NET_WM_WINDOW_TYPE_NORMAL");
    const quint32 pid = atom("_NET_WM_PID");
    const quint32 name = atom("_NET_WM_NAME");
    for (quint32 id :
         property32(m_connection, m_root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        Window w;
        w.id = id;
        w.pid = property32(m_connection, id, pid, XCB_ATOM_CARDINAL).value(0);
        w.title = QString::fromUtf8(propertyText(m_connection, id, name));
        const QList<quint32> types = windowTypes(id);
        w.normal = types.isEmpty() || types.first() == normal;
        windows << w;
    }
    return windows;
}

#pragma once
// A desktop of our own for what only a real X server shows: the user's keys and clicks reaching
// the program through the server, and the windows it maps in answer. Qt's offscreen platform
// delivers input by another road, so it cannot show input that the program holds back in its
// own queue of X events.
//
// XDesktop starts an X server (Xvfb) on a display number the server picks as free, with a window
// manager (openbox) on it, as a user's desktop has. XUser is a client of that server that types
// and clicks through the XTEST extension, as the keyboard and mouse do, and reports the pop-up
// windows (menus, drop-down lists) that are mapped and unmapped; it serves from the Qt event
// loop and never blocks it.
#include <QHash>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QSize>
#include <QString>
#include <memory>

class QSocketNotifier;
struct xcb_connection_t;

class XDesktop {
public:
    XDesktop() = default;
    ~XDesktop(); // ends the window manager and the server
    XDesktop(const XDesktop &) = delete;
    XDesktop &operator=(const XDesktop &) = delete;

    // Starts the server, and the window manager unless told not to; false with the reason in
    // error() when either does not come up within ten seconds.
    bool start(QSize screen = QSize(1920, 1200), bool windowManager = true);
    QString display() const { return m_display; } // ":n", for DISPLAY
    qint64 serverPid() const { return m_server.processId(); }
    QString error() const { return m_error; }

private:
    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QString m_error;
};

class XUser : public QObject {
    Q_OBJECT
public:
    // Key symbols as in <X11/keysym.h>.
    enum Key : quint32 {
        Alt = 0xffe9,
        Control = 0xffe3,
        Shift = 0xffe1,
        Escape = 0xff1b,
        Return = 0xff0d,
        F1 = 0xffbe,
        F4 = 0xffc1,
    };
    struct Window {
        quint32 id = 0;
        qint64 pid = 0; // the owner's process (_NET_WM_PID), 0 when not told
        QString title;
        bool normal = true; // not a dialog, a splash or a menu
    };

    explicit XUser(const QString &display, QObject *parent = nullptr);
    ~XUser() override;
    bool connected() const { return m_connection != nullptr; }

    // Presses the key with the modifiers held down, and lets all go again. A letter is its own
    // key symbol: key('f', {Alt}) is Alt+F.
    bool key(quint32 keysym, const QList<quint32> &modifiers = {});
    // Moves the pointer to the point of the screen and clicks the button (1 is the left one).
    void click(QPoint at, int button = 1);
    // Asks the window manager to make the window the active one, as a click on it would.
    void activate(quint32 window);
    // The window the window manager has made active, 0 when none.
    quint32 activeWindow();
    // The windows the window manager keeps, in the order they were mapped.
    QList<Window> clientWindows();

signals:
    // A pop-up window (a menu or a drop-down list: a window no window manager frames, tooltips
    // left out) was mapped or unmapped. The notice is given as soon as this client's event loop
    // sees the server's event. The window type does not tell a menu: Qt names only the first
    // one it shows a menu.
    void popupMapped(quint32 window);
    void popupUnmapped(quint32 window);

private:
    void readEvents();
    // Events that came in while a call waited for a reply are queued in xcb and wake no socket
    // notifier: every call that waits looks at them on the next turn of the event loop.
    void readEventsSoon();
    quint32 atom(const char *name);
    QList<quint32> windowTypes(quint32 window);
    quint8 keycode(quint32 keysym);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    std::unique_ptr<QSocketNotifier> m_events;
    QList<quint32> m_popups; // mapped now
    QHash<quint32, quint8> m_keycodes; // looked up once, so that a key is sent without a wait
};

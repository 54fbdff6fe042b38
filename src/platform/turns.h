#pragma once
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <utility>

// Work spread over the turns of the event loop, one piece a turn, so that timers and serial data
// are served between the pieces: 32 windows of 30,000 points handled in one go kept the program
// from answering for as long as all of them took. A piece whose owner is gone is dropped; a piece
// that finds nothing left to do (returns false) gives its turn to the next.
class OnePerTurn {
public:
    void add(QObject *owner, std::function<bool()> piece);

private:
    void next();

    std::deque<std::pair<QPointer<QObject>, std::function<bool()>>> m_pieces;
    // Owned by the application, so that it goes with it and not after it.
    QPointer<QTimer> m_timer;
};

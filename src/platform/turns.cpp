#include "platform/turns.h"

#include <QCoreApplication>

void OnePerTurn::add(QObject *owner, std::function<bool()> piece)
{
    m_pieces.emplace_back(owner, std::move(piece));
    if (!m_timer) {
        m_timer = new QTimer(QCoreApplication::instance());
        m_timer->setInterval(0);
        QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] { next(); });
    }
    if (!m_timer->isActive())
        m_timer->start();
}

void OnePerTurn::next()
{
    while (!m_pieces.empty()) {
        auto [owner, piece] = std::move(m_pieces.front());
        m_pieces.pop_front();
        if (owner && piece())
            break;
    }
    if (m_pieces.empty())
        m_timer->stop();
}

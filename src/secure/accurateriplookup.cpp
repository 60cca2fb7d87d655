// SPDX-License-Identifier: GPL-2.0-or-later
#include "accurateriplookup.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace trackmill {

struct AccurateRipLookup::State
{
    std::mutex mutex;
    std::atomic<bool> finished{false};
    Result result;
    std::thread worker;
};

namespace {

// A dBAR file holds 13 + 9 bytes a track for each pressing: even popular
// discs stay far below this.
constexpr DWORD kMaxAnswer = 4u << 20;

}

AccurateRipLookup::AccurateRipLookup() = default;

AccurateRipLookup::~AccurateRipLookup()
{
    // The request ends within the library's time limits.
    if (m_state && m_state->worker.joinable())
        m_state->worker.join();
}

bool AccurateRipLookup::started() const
{
    return m_state != nullptr;
}

void AccurateRipLookup::start(HCDROM cd, const QString& server)
{
    if (m_state && m_state->worker.joinable())
        m_state->worker.join();
    m_state = std::make_shared<State>();
    const QByteArray host = server.toUtf8();
    // The table of contents is read on the worker too: a physical drive
    // may take a while to answer.
    m_state->worker = std::thread([state = m_state, cd, host] {
        ARDISCID id{};
        if (GetAccurateRipId(cd, &id) != SS_COMP) {
            std::lock_guard lock(state->mutex);
            state->result.status = QStringLiteral("no audio track in the table of contents");
            state->result.done = true;
            state->finished = true;
            return;
        }
        std::vector<BYTE> body(kMaxAnswer);
        DWORD len = 0;
        char reason[256] = {};
        const DWORD code = AccurateRipQuery(&id, host.constData(), body.data(), kMaxAnswer, &len, reason, sizeof reason);
        AccurateRipAnswer answer;
        QString status;
        if (code == AR_FOUND) {
            answer = AccurateRipAnswer::parse(std::string_view(reinterpret_cast<const char*>(body.data()), len),
                                              id.audioTracks, id.id1, id.id2, id.cddb);
            status = answer.usable ? QStringLiteral("found") : QStringLiteral("unusable answer: ") + answer.error;
        } else if (code == AR_NOT_FOUND) {
            status = QStringLiteral("not in the database");
        } else {
            status = QStringLiteral("no answer: ") + QString::fromUtf8(reason);
        }
        std::lock_guard lock(state->mutex);
        state->result.id = id;
        state->result.haveId = true;
        state->result.answer = std::move(answer);
        state->result.status = status;
        state->result.done = true;
        state->finished = true;
    });
}

const AccurateRipLookup::Result& AccurateRipLookup::wait(const std::function<void()>& pump)
{
    static const Result none{true, {}, false, {}, QStringLiteral("not looked up")};
    if (!m_state)
        return none;
    while (!m_state->finished)
        pump();
    if (m_state->worker.joinable())
        m_state->worker.join();
    return m_state->result;
}

}

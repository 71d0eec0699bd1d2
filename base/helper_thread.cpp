#include "base/helper_thread.h"

HelperThread::HelperThread(std::function<void()> work, Start start)
    : m_work(std::move(work))
{
    if (!m_work)
        return;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        m_work();
        return;
    }
    cpu_set_t elsewhere;
    const int here = start == AwayFromMaker ? sched_getcpu() : -1;
    if (here >= 0 && sched_getaffinity(0, sizeof m_allowed, &m_allowed) == 0) {
        elsewhere = m_allowed;
        CPU_CLR(here, &elsewhere);
        m_placed = CPU_COUNT(&elsewhere) > 0
                   && pthread_attr_setaffinity_np(&attributes, sizeof elsewhere, &elsewhere) == 0;
    }
    const auto run = [](void *data) -> void * {
        auto *self = static_cast<HelperThread *>(data);
        // Only where it starts is chosen: the scheduler may move it back beside its maker, when
        // another program takes its processor.
        if (self->m_placed)
            pthread_setaffinity_np(pthread_self(), sizeof self->m_allowed, &self->m_allowed);
        self->m_work();
        return nullptr;
    };
    m_running = pthread_create(&m_thread, &attributes, run, this) == 0;
    pthread_attr_destroy(&attributes);
    if (!m_running)
        m_work();
}

void HelperThread::join()
{
    if (m_running)
        pthread_join(m_thread, nullptr);
    m_running = false;
}

// SPDX-License-Identifier: GPL-2.0-or-later
#include "gogojobstate.h"

#include "gogolibrary.h"

namespace trackmill {

GogoJobState::GogoJobState(std::shared_ptr<GogoLibrary> library)
    : m_library(std::move(library))
{
    if (m_library->hasHandles() && m_library->createHandle(&m_handle) != GOGO_OK)
        m_handle = nullptr;
}

GogoJobState::~GogoJobState()
{
    if (m_handle)
        m_library->destroyHandle(m_handle);
}

MERET GogoJobState::initializeWork()
{
    return m_handle ? m_library->initializeWorkH(m_handle) : m_library->initializeWork();
}

MERET GogoJobState::setConfigure(MPARAM item, UPARAM value1, UPARAM value2)
{
    return m_handle ? m_library->setConfigureH(m_handle, item, value1, value2)
                    : m_library->setConfigure(item, value1, value2);
}

MERET GogoJobState::getConfigure(MPARAM item, void* value)
{
    return m_handle ? m_library->getConfigureH(m_handle, item, value) : m_library->getConfigure(item, value);
}

MERET GogoJobState::detectConfigure()
{
    return m_handle ? m_library->detectConfigureH(m_handle) : m_library->detectConfigure();
}

MERET GogoJobState::processFrame()
{
    return m_handle ? m_library->processFrameH(m_handle) : m_library->processFrame();
}

MERET GogoJobState::closeCoder()
{
    return m_handle ? m_library->closeCoderH(m_handle) : m_library->closeCoder();
}

MERET GogoJobState::endCoder()
{
    return m_handle ? m_library->endCoderH(m_handle) : m_library->endCoder();
}

}

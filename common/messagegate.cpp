#include "common/messagegate.h"

namespace qh {

MessageGate& MessageGate::instance()
{
    static MessageGate gate;
    return gate;
}

bool MessageGate::isOpen()
{
    return instance().m_open > 0;
}

MessageGate::OpenMessage::OpenMessage()
{
    ++instance().m_open;
}

MessageGate::OpenMessage::~OpenMessage()
{
    --instance().m_open;
    emit instance().closed();
}

} // namespace qh

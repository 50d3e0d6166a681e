#include "controlpanel.h"

#include "form2.h"

namespace qh::master {

bool isSwitchedOn(const QString& inUse)
{
    return inUse == kSwitchedOnFlag;
}

std::optional<std::uint32_t> slotTextColor(const QString& inUse)
{
    if (inUse == kSwitchedOnFlag)
        return kSwitchedOnColor;
    if (inUse == kSwitchedOffFlag)
        return kSwitchedOffColor;
    return std::nullopt;
}

QRect panelLabelRect(int index)
{
    const int row = index / 10;
    const int column = index % 10;
    const int width = (index == 0 || index == 10) ? 135 : 255;
    return {120 + 360 * column, 120 + 360 * row, width, 255};
}

ControlPanel::ControlPanel(PresenterServices& services, QObject* parent) : QObject(parent), m_services(services) {}

ControlPanel::~ControlPanel() = default;

void ControlPanel::prepare()
{
    buildForm();
    m_form->prepare();
}

void ControlPanel::Command2_Click()
{
    if (m_PanelShown) {
        if (m_form)
            m_form->hide();
        m_PanelShown = false;
        return;
    }
    if (!m_form)
        buildForm();
    m_form->show();
    m_form->raise();
    m_PanelShown = true;
}

void ControlPanel::buildForm()
{
    if (m_form) {
        m_form->disconnect(this);
        m_form.release()->deleteLater();
    }
    m_form = std::make_unique<Form2>(m_services);
    connect(m_form.get(), &Form2::unloaded, this, &ControlPanel::Form2_Unload);
}

void ControlPanel::Form2_Unload()
{
    m_PanelShown = false;
    if (!m_form)
        return;
    m_form->disconnect(this);
    // Discarded once its close has finished; PANEL builds it anew.
    m_form.release()->deleteLater();
}

} // namespace qh::master

#pragma once

#include "settingsfile.h"

#include <QObject>
#include <QRect>

#include <cstdint>
#include <memory>
#include <optional>

namespace qh::master {

class Form2;
class PresenterServices;

inline const QString kVisibleTrue = QStringLiteral("VisibleTrue");
inline const QString kVisibleFalse = QStringLiteral("VisibleFalse");
inline const QString kSwitchedOnFlag = QStringLiteral("1");
inline const QString kSwitchedOffFlag = QStringLiteral("0");
inline constexpr std::uint32_t kSwitchedOnColor = 0xFF0000;  // blue
inline constexpr std::uint32_t kSwitchedOffColor = 0x0000FF; // red

// A child is switched on while its slot's in-use flag is exactly "1".
bool isSwitchedOn(const QString& inUse);

// The text colour a slot's label takes from its flag: blue for "1", red for "0", none (the
// label keeps the default colour) for any other text.
std::optional<std::uint32_t> slotTextColor(const QString& inUse);

// The twips rectangle of Label1(index): ten to a row, 360 twips apart; 01 and 11 are narrower.
QRect panelLabelRect(int index);

// The presenter's control panel window and the PANEL button that shows and hides it.
//
// The presenter calls prepare() once at start-up, after the announcement to the children and before
// the browser opens, and Command2_Click() for its PANEL button.
class ControlPanel : public QObject
{
    Q_OBJECT
public:
    explicit ControlPanel(PresenterServices& services, QObject* parent = nullptr);
    ~ControlPanel() override;

    // Loads the panel hidden and marks it from the settings: colours, disabled empty slots and the
    // screen-mode check marks. PanelShown stays false.
    void prepare();

    // PANEL: hides the panel when it is shown, shows it otherwise. A panel closed with its close
    // box is built anew from its layout, without the start-up marks.
    void Command2_Click();

    // True while the panel has been shown through PANEL and not hidden or closed since.
    bool PanelShown() const { return m_PanelShown; }

    // The loaded panel, or nullptr after its close box closed it.
    Form2* form() const { return m_form.get(); }

private:
    void buildForm();
    void Form2_Unload();

    PresenterServices& m_services;
    std::unique_ptr<Form2> m_form;
    bool m_PanelShown = false;
};

} // namespace qh::master

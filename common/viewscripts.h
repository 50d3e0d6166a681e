#pragma once

#include "common/viewdatagrams.h"

#include <QPointF>
#include <QString>
#include <QVariant>

#include <optional>

// The scripts that find a spot of a page (common/viewdatagrams.h) in the teacher's browser and find
// it again in a child's. Both programs run them in Qt WebEngine's isolated world
// (QWebEngineScript::ApplicationWorld), where the page's own scripts cannot reach them: a page can
// change its document, but neither the functions these scripts call nor what they return. They
// share one rule of how an element is named, written once below. Each returns a string; a page
// without a body gives the empty string.
namespace qh {

// The place at the top of the view: the document's shares of the view's top left corner, and the
// element at the top of the view (not one that stays fixed on the screen, such as a page's header
// bar) with how far into it the view starts. Returns the spot's text.
QString viewTopScript();

// The spot under a point of the view, in CSS pixels from its top left corner. Returns its text.
QString spotAtScript(QPointF viewPoint);

// Scrolls the document so that the spot's place is at the top of the view: the element's place
// where the element is found, the document's share otherwise; horizontally always the document's
// share. Returns the scroll position reached, "<x> <y>" in CSS pixels.
QString scrollToPlaceScript(const PageSpot& place);

// Where the spot is in the document: the element's point where the element is found, the
// document's shares otherwise. Returns "<x> <y>" in CSS pixels from the document's top left corner.
QString pagePointScript(const PageSpot& spot);

// A result "<x> <y>" of the last two scripts; none for anything else.
std::optional<QPointF> scriptPointOf(const QVariant& result);

} // namespace qh

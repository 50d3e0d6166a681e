#include "common/viewscripts.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace qh {

namespace {
// What every script starts with: the limits of a spot, and how an element is named and found. An
// element is named from the nearest of itself and its ancestors whose id is unique and of the
// allowed form, else from <body>, by its index among the element children at each step down; one
// deeper than the path allows is named by its ancestor at that depth.
QString prelude()
{
    return uR"((function () {
'use strict';
const W = %1, FAR = %2, DEPTH = %3, ID = /^[A-Za-z0-9_.:-]{1,%4}$/;
const doc = document.documentElement, body = document.body;
if (!doc || !body)
    return '';
const scroller = document.scrollingElement || doc;
function share(at, total) {
    return total > 0 ? Math.max(0, Math.min(W, Math.round(at / total * W))) : 0;
}
function into(at, start, size) {
    return size > 0 ? Math.max(-FAR, Math.min(FAR, Math.round((at - start) / size * W))) : 0;
}
function depthOf(e) {
    let depth = 0;
    for (; e && e !== body; e = e.parentElement)
        ++depth;
    return e === body ? depth : -1;
}
function named(e) {
    if (!e || e === body || e === doc)
        return null;
    let depth = depthOf(e);
    if (depth < 1)
        return null;
    for (; depth > DEPTH; --depth)
        e = e.parentElement;
    return e;
}
function nameOf(e) {
    let steps = '';
    for (; e !== body; e = e.parentElement) {
        if (typeof e.id === 'string' && ID.test(e.id) && document.getElementById(e.id) === e)
            return '#' + e.id + steps;
        steps = '/' + Array.prototype.indexOf.call(e.parentElement.children, e) + steps;
    }
    return steps;
}
function find(id, path) {
    let e = id ? document.getElementById(id) : body;
    for (const index of path)
        e = e ? e.children[index] : null;
    return e && e !== body && e !== doc ? e : null;
}
function spotAt(e, x, y) {
    const text = share(scroller.scrollLeft + x, scroller.scrollWidth) + ' ' +
        share(scroller.scrollTop + y, scroller.scrollHeight);
    if (!e)
        return text + ' 0 0 -';
    const box = e.getBoundingClientRect();
    return text + ' ' + into(x, box.left, box.width) + ' ' + into(y, box.top, box.height) + ' ' + nameOf(e);
}
)"_s.arg(kSpotScale)
        .arg(kFarthestFromElement)
        .arg(kLongestElementPath)
        .arg(kLongestElementId);
}

QString script(const QString& body)
{
    return prelude() + body + u"\n})()"_s;
}

// The spot's values as script constants; the id holds only characters that need no quoting.
QString spotConstants(const PageSpot& spot)
{
    QStringList path;
    for (const int index : spot.path)
        path.append(QString::number(index));
    return u"const DX = %1, DY = %2, EX = %3, EY = %4, TARGET = find('%5', [%6]);\n"_s.arg(spot.documentX)
        .arg(spot.documentY)
        .arg(spot.elementX)
        .arg(spot.elementY)
        .arg(QString::fromLatin1(spot.elementId), path.join(u','));
}
} // namespace

QString viewTopScript()
{
    // The first element at the top edge that scrolls with the document; in a margin between
    // elements, the first one further down (the place then lies above it).
    return script(uR"(
function fixed(e) {
    for (; e && e !== body; e = e.parentElement) {
        const position = getComputedStyle(e).position;
        if (position === 'fixed' || position === 'sticky')
            return true;
    }
    return false;
}
function scrollingAt(x, y) {
    for (const e of document.elementsFromPoint(x, y)) {
        if (e === body || e === doc)
            return null;
        if (!fixed(e))
            return named(e);
    }
    return null;
}
const width = innerWidth, height = innerHeight;
for (const y of [0, height / 8, height / 4, height / 2]) {
    for (const x of [width / 2, width / 4, width * 3 / 4, 8]) {
        const e = scrollingAt(x, y);
        if (e)
            return spotAt(e, 0, 0);
    }
}
return spotAt(null, 0, 0);)"_s);
}

QString spotAtScript(QPointF viewPoint)
{
    return script(u"const X = %1, Y = %2;\n"_s.arg(viewPoint.x()).arg(viewPoint.y()) + uR"(
let under = null;
for (const e of document.elementsFromPoint(X, Y)) {
    under = named(e);
    break;
}
return spotAt(under, X, Y);)"_s);
}

QString scrollToPlaceScript(const PageSpot& place)
{
    return script(spotConstants(place) + uR"(
let top = null;
if (TARGET) {
    const box = TARGET.getBoundingClientRect();
    if (box.height > 0)
        top = scroller.scrollTop + box.top + EY / W * box.height;
}
if (top === null)
    top = DY / W * scroller.scrollHeight;
// Whole pixels: the browser would cut a place a hair above one off to the pixel above.
window.scrollTo({left: Math.round(DX / W * scroller.scrollWidth), top: Math.round(top), behavior: 'instant'});
return Math.round(scroller.scrollLeft) + ' ' + Math.round(scroller.scrollTop);)"_s);
}

QString pagePointScript(const PageSpot& spot)
{
    return script(spotConstants(spot) + uR"(
if (TARGET) {
    const box = TARGET.getBoundingClientRect();
    if (box.width > 0 && box.height > 0)
        return Math.round(scroller.scrollLeft + box.left + EX / W * box.width) + ' ' +
            Math.round(scroller.scrollTop + box.top + EY / W * box.height);
}
return Math.round(DX / W * scroller.scrollWidth) + ' ' + Math.round(DY / W * scroller.scrollHeight);)"_s);
}

std::optional<QPointF> scriptPointOf(const QVariant& result)
{
    if (result.typeId() != QMetaType::QString)
        return std::nullopt;
    const QStringList parts = result.toString().split(u' ');
    if (parts.size() != 2)
        return std::nullopt;
    bool xRead = false;
    bool yRead = false;
    const QPointF point(parts[0].toDouble(&xRead), parts[1].toDouble(&yRead));
    if (!xRead || !yRead)
        return std::nullopt;
    return point;
}

} // namespace qh

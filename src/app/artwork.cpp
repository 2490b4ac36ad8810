#include "app/artwork.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace app::artwork {

namespace {

// ---------------------------------------------------------------------------------------------
// Shared shapes

// How an ivy leaf is cut: the reach of its side and base lobes and how deep the notches go.
struct LeafCut {
    qreal lateral = 0.58;  // side lobe tip, as a fraction of the leaf's length
    qreal basal = 0.40;    // base lobe tip; small values give the heart-shaped 3-lobed leaf
    qreal notch = 0.5;     // 0 shallow .. 1 deep notches between the lobes
};

// One cubic segment of the leaf outline.
struct Cubic {
    QPointF c1, c2, end;
};

// An ivy leaf one unit long, attached at (0, 0) with its tip at (0, -1). The right half is laid
// out and mirrored, so every leaf is symmetric about its midrib like the real thing.
QPainterPath ivyLeafPath(const LeafCut& cut) {
    const qreal n = std::clamp(cut.notch, 0.0, 1.0);
    const QPointF basalTip(cut.basal, 0.02);
    const QPointF basalNotch(cut.basal * 0.62 + 0.04 - 0.05 * n, -0.22 - 0.04 * n);
    const QPointF lateralTip(cut.lateral, -0.50);
    const QPointF topNotch(0.28 - 0.10 * n, -0.58 - 0.04 * n);
    const QPointF tip(0, -1);

    const std::array<Cubic, 5> right = {{
        // The heart-shaped base dips below the stalk.
        {{0.06, 0.10}, {basalTip.x() * 0.55, 0.14}, basalTip},
        {{basalTip.x() + 0.06, -0.04}, {basalNotch.x() + 0.10, basalNotch.y() + 0.06}, basalNotch},
        {{basalNotch.x() + 0.12, basalNotch.y() - 0.02},
         {lateralTip.x() - 0.02, lateralTip.y() + 0.10},
         lateralTip},
        {{lateralTip.x() - 0.08, lateralTip.y() - 0.07},
         {topNotch.x() + 0.14, topNotch.y() + 0.02},
         topNotch},
        // The long middle lobe, slightly waisted, ending in a point.
        {{topNotch.x() - 0.02, topNotch.y() - 0.14}, {0.10, -0.86}, tip},
    }};

    QPainterPath path(QPointF(0, 0));
    for (const Cubic& c : right) {
        path.cubicTo(c.c1, c.c2, c.end);
    }
    // Back down the left side: the same segments reversed and mirrored.
    auto mirror = [](QPointF pt) { return QPointF(-pt.x(), pt.y()); };
    for (int i = int(right.size()) - 1; i >= 0; --i) {
        const QPointF start = i > 0 ? right[i - 1].end : QPointF(0, 0);
        path.cubicTo(mirror(right[i].c2), mirror(right[i].c1), mirror(start));
    }
    path.closeSubpath();
    return path;
}

// Where the main veins of a leaf run to, in the same unit frame as ivyLeafPath.
std::vector<QPointF> ivyVeinEnds(const LeafCut& cut) {
    return {{0, -0.84},
            {cut.lateral * 0.80, -0.44},
            {-cut.lateral * 0.80, -0.44},
            {cut.basal * 0.72, -0.04},
            {-cut.basal * 0.72, -0.04}};
}

// A plain pointed leaf from `base` to `tip`, `width` across at its widest.
QPainterPath simpleLeaf(QPointF base, QPointF tip, qreal width) {
    const QPointF axis = tip - base;
    const qreal len = std::hypot(axis.x(), axis.y());
    if (len <= 0) {
        return {};
    }
    const QPointF normal(-axis.y() / len * width, axis.x() / len * width);
    const QPointF mid = base + axis * 0.45;
    QPainterPath path(base);
    path.quadTo(mid + normal, tip);
    path.quadTo(mid - normal, base);
    path.closeSubpath();
    return path;
}

// Paints an ivy leaf: a faint shadow for depth, a shaded blade, lighter veins, a darker rim.
// `t` maps the unit leaf onto the page; pen widths are in page units.
void paintIvyLeaf(QPainter& p, const QTransform& t, const LeafCut& cut, const QColor& colour,
                  qreal size, bool withShadow, bool withVeins) {
    const QPainterPath blade = t.map(ivyLeafPath(cut));

    if (withShadow) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 45, 20, 50));
        p.drawPath(blade.translated(size * 0.03 + 0.6, size * 0.045 + 0.9));
    }

    // Light falls from the upper left: the blade is lighter round the middle and that side.
    const QPointF centre = t.map(QPointF(-0.08, -0.50));
    QRadialGradient shade(centre, size * 0.62, t.map(QPointF(-0.12, -0.62)));
    shade.setColorAt(0.0, colour.lighter(118));
    shade.setColorAt(0.55, colour);
    shade.setColorAt(1.0, colour.darker(125));
    p.setPen(QPen(colour.darker(150), std::max(0.6, size * 0.018)));
    p.setBrush(shade);
    p.drawPath(blade);

    if (withVeins) {
        p.save();
        p.setClipPath(blade, Qt::IntersectClip);
        const QPointF root = t.map(QPointF(0, -0.02));
        QColor vein = colour.lighter(175);
        vein.setAlpha(215);
        const std::vector<QPointF> ends = ivyVeinEnds(cut);
        for (std::size_t i = 0; i < ends.size(); ++i) {
            // The midrib is the strongest; the base veins the faintest.
            const qreal w = size * (i == 0 ? 0.034 : i < 3 ? 0.026 : 0.020);
            p.setPen(QPen(vein, std::max(0.5, w), Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            const QPointF end = t.map(ends[i]);
            // Veins bow a little towards the leaf's tip.
            const QPointF bend = t.map(ends[i] * 0.5 + QPointF(0, -0.06));
            QPainterPath v(root);
            v.quadTo(bend, end);
            p.drawPath(v);
        }
        // Fine side veins off the midrib, only where the leaf is big enough to show them.
        if (size > 26) {
            vein.setAlpha(150);
            p.setPen(QPen(vein, std::max(0.45, size * 0.014), Qt::SolidLine, Qt::RoundCap));
            for (qreal y : {-0.58, -0.72}) {
                for (qreal side : {-1.0, 1.0}) {
                    p.drawLine(t.map(QPointF(0, y)), t.map(QPointF(side * 0.14, y - 0.10)));
                }
            }
        }
        p.restore();
    }
}

// ---------------------------------------------------------------------------------------------
// The ivy vine

constexpr qreal kVineW = 216;
constexpr qreal kVineH = 466;

// Deterministic draws from a fixed seed, so the window looks the same on every start.
class Dice {
public:
    explicit Dice(quint32 seed) : m_rng(seed) {}
    qreal range(qreal lo, qreal hi) { return lo + (hi - lo) * m_rng.generateDouble(); }
    bool chance(qreal p) { return m_rng.generateDouble() < p; }

private:
    QRandomGenerator m_rng;
};

// A tapering woody stem along `centre`: `w0` wide at the start, `w1` at the end.
void paintStem(QPainter& p, const QPainterPath& centre, qreal w0, qreal w1) {
    constexpr int steps = 140;
    std::vector<QPointF> left, right, ridge;
    left.reserve(steps + 1);
    right.reserve(steps + 1);
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const QPointF c = centre.pointAtPercent(t);
        const qreal a = qDegreesToRadians(centre.angleAtPercent(t));
        // angleAtPercent counts anticlockwise with y up; this is the normal on the page.
        const QPointF normal(std::sin(a), std::cos(a));
        const qreal w = (w1 + (w0 - w1) * std::pow(1 - t, 0.85)) / 2;
        left.push_back(c + normal * w);
        right.push_back(c - normal * w);
        ridge.push_back(c + normal * w * 0.35);
    }
    QPainterPath outline(left.front());
    for (const QPointF& pt : left) {
        outline.lineTo(pt);
    }
    for (auto it = right.rbegin(); it != right.rend(); ++it) {
        outline.lineTo(*it);
    }
    outline.closeSubpath();

    // Round ends, so the old end and the growing tip are not cut off square.
    outline.addEllipse(centre.pointAtPercent(0), w0 / 2, w0 / 2);
    outline.addEllipse(centre.pointAtPercent(1), w1 / 2, w1 / 2);
    outline = outline.simplified();
    p.setPen(QPen(QColor(0x3e, 0x2a, 0x1e), 0.9));
    p.setBrush(QColor(0x6d, 0x4c, 0x41));
    p.drawPath(outline);

    // A lighter ridge along the lit side reads as round bark.
    QPainterPath hi(ridge.front());
    for (const QPointF& pt : ridge) {
        hi.lineTo(pt);
    }
    p.setClipPath(outline);
    p.setPen(
        QPen(QColor(0xa1, 0x88, 0x7f, 200), std::max(0.8, w0 * 0.22), Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hi);
    p.setClipping(false);
}

// A curling tendril from `from`, setting off in direction `angle` (degrees, clockwise from
// the right) and winding tighter towards its end in the direction of `turn` (+1 or -1).
void paintTendril(QPainter& p, QPointF from, qreal angle, qreal length, int turn) {
    constexpr int steps = 60;
    const qreal ds = length / steps;
    qreal a = qDegreesToRadians(angle);
    QPointF pt = from;
    for (int i = 0; i < steps; ++i) {
        const qreal t = qreal(i) / steps;
        const QPointF next = pt + QPointF(std::cos(a), std::sin(a)) * ds;
        const qreal w = 1.7 - 1.1 * t;
        p.setPen(QPen(QColor(0x6f, 0x5f, 0x2f), w, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(pt, next);
        pt = next;
        // The curl tightens like a spring towards the tip.
        a += turn * (0.015 + 0.22 * t * t);
    }
}

struct VineLeaf {
    QPointF stalkFrom;  // where the leaf stalk leaves the stem
    QPointF base;       // where the stalk meets the blade
    qreal angle;        // the blade's tip direction, degrees clockwise from the right
    qreal size;         // the blade's length in page units
    LeafCut cut;
    QColor colour;
    bool behind;  // drawn before the stem
};

// Scales the leaf down until it lies wholly in the picture, so no blade is cut off at an edge.
void fitLeaf(VineLeaf& leaf, const QRectF& area) {
    for (int tries = 0; tries < 14; ++tries) {
        QTransform t;
        t.translate(leaf.base.x(), leaf.base.y());
        t.rotate(leaf.angle + 90);
        t.scale(leaf.size, leaf.size);
        const QRectF box = t.map(ivyLeafPath(leaf.cut)).boundingRect().adjusted(-2, -2, 3, 3);
        if (area.contains(box)) {
            return;
        }
        leaf.size *= 0.92;
        // Pull the stalk in too, towards the stem.
        leaf.base = leaf.stalkFrom + (leaf.base - leaf.stalkFrom) * 0.9;
    }
}

void paintVineLeaf(QPainter& p, const VineLeaf& leaf) {
    // The stalk bends slightly on its way to the blade.
    const QPointF mid = (leaf.stalkFrom + leaf.base) / 2 + QPointF(0, -2.5);
    QPainterPath stalk(leaf.stalkFrom);
    stalk.quadTo(mid, leaf.base);
    p.setPen(QPen(QColor(0x5d, 0x54, 0x2a), std::max(1.1, leaf.size * 0.035), Qt::SolidLine,
                  Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stalk);

    QTransform t;
    t.translate(leaf.base.x(), leaf.base.y());
    t.rotate(leaf.angle + 90);
    t.scale(leaf.size, leaf.size);
    paintIvyLeaf(p, t, leaf.cut, leaf.colour, leaf.size, true, true);
}

const std::array<QColor, 7> kLeafGreens = {
    QColor(0x1b, 0x5e, 0x20), QColor(0x2e, 0x7d, 0x32), QColor(0x38, 0x8e, 0x3c),
    QColor(0x33, 0x69, 0x1e), QColor(0x25, 0x6b, 0x2a), QColor(0x43, 0x8a, 0x38),
    QColor(0x2c, 0x5f, 0x2d),
};

void paintVine(QPainter& p) {
    Dice dice(0x1e5ed1u);
    const QRectF area(0, 0, kVineW, kVineH);

    // The main stem: in from the top, a gentle S down the area, and a young tip at the bottom.
    QPainterPath stem(QPointF(118, 36));
    stem.cubicTo(QPointF(86, 100), QPointF(150, 168), QPointF(112, 246));
    stem.cubicTo(QPointF(82, 310), QPointF(128, 392), QPointF(100, 452));

    // Two side shoots carry a few leaves of their own.
    struct Shoot {
        QPainterPath path;
    };
    std::vector<Shoot> shoots;
    {
        const qreal at = 0.30;
        const QPointF s = stem.pointAtPercent(at);
        QPainterPath shoot(s);
        shoot.cubicTo(s + QPointF(-18, 6), s + QPointF(-40, 18), s + QPointF(-62, 52));
        shoots.push_back({shoot});
    }
    {
        const qreal at = 0.64;
        const QPointF s = stem.pointAtPercent(at);
        QPainterPath shoot(s);
        shoot.cubicTo(s + QPointF(20, 4), s + QPointF(44, 16), s + QPointF(66, 48));
        shoots.push_back({shoot});
    }

    std::vector<VineLeaf> leaves;
    auto makeLeaf = [&](QPointF from, qreal outward, qreal size, bool rightSide) -> VineLeaf {
        VineLeaf leaf;
        leaf.stalkFrom = from;
        const qreal stalk = dice.range(8, 20) * size / 40;
        const qreal a = qDegreesToRadians(outward);
        leaf.base = from + QPointF(std::cos(a), std::sin(a)) * stalk;
        // Blades hang a little: the tip drops below the stalk's direction.
        const qreal droop = dice.range(8, 48);
        leaf.angle = outward + (rightSide ? droop : -droop);
        leaf.size = size;
        leaf.cut.lateral = dice.range(0.50, 0.66);
        // Now and then the young, nearly heart-shaped 3-lobed leaf.
        leaf.cut.basal = dice.chance(0.25) ? dice.range(0.22, 0.30) : dice.range(0.34, 0.46);
        leaf.cut.notch = dice.range(0.2, 1.0);
        leaf.colour =
            kLeafGreens[static_cast<std::size_t>(dice.range(0, kLeafGreens.size() - 0.001))];
        leaf.behind = dice.chance(0.35);
        if (leaf.behind) {
            // Leaves further back get less light.
            leaf.colour = leaf.colour.darker(112);
        }
        return leaf;
    };
    auto place = [&](VineLeaf leaf) {
        fitLeaf(leaf, area);
        leaves.push_back(leaf);
    };

    // Leaves along the main stem, mostly alternating sides as ivy grows.
    constexpr int mainLeaves = 19;
    bool right = true;
    for (int i = 0; i < mainLeaves; ++i) {
        const qreal t =
            std::clamp(0.03 + i * (0.94 / (mainLeaves - 1)) + dice.range(-0.012, 0.012), 0.0, 1.0);
        if (!dice.chance(0.15)) {
            right = !right;
        }
        const qreal outward = right ? dice.range(-40, 30) : 180 + dice.range(-30, 40);
        // Old big leaves up top, small new ones towards the growing tip.
        const qreal size = (52 - 24 * t) * dice.range(0.82, 1.12);
        place(makeLeaf(stem.pointAtPercent(t), outward, size, right));
    }
    // The old end of the stem is hidden in a tuft of leaves turned up to the light, and the
    // growing tip ends in a small leaf pointing on down.
    struct Fixed {
        qreal at, outward, size, angle;
    };
    for (const Fixed& f : {Fixed{0, -40, 36, -50}, Fixed{0, -140, 34, -132}, Fixed{0, -90, 26, -92},
                           Fixed{1, 92, 20, 95}}) {
        VineLeaf leaf = makeLeaf(stem.pointAtPercent(f.at), f.outward, f.size, f.outward > -90);
        // Short stalks, so the blades close over the stem's end.
        const qreal a = qDegreesToRadians(f.outward);
        leaf.base = leaf.stalkFrom + QPointF(std::cos(a), std::sin(a)) * 3;
        leaf.angle = f.angle;
        leaf.behind = false;
        leaf.colour = kLeafGreens[1];
        place(leaf);
    }

    // Three leaves on each side shoot, the last at its end.
    for (std::size_t s = 0; s < shoots.size(); ++s) {
        const bool rightShoot = s == 1;
        for (int k = 0; k < 3; ++k) {
            const qreal t = 0.35 + 0.32 * k;
            const QPointF at = shoots[s].path.pointAtPercent(t);
            const qreal along = -shoots[s].path.angleAtPercent(t);
            const qreal side = (k % 2 == 0) ? -70 : 70;
            const qreal outward = k == 2 ? along : along + side;
            place(makeLeaf(at, outward, dice.range(30, 40), rightShoot));
        }
    }

    // Tendrils: short curls reaching out from the stem between the leaves.
    struct Tendril {
        QPointF from;
        qreal angle, length;
        int turn;
    };
    std::vector<Tendril> tendrils;
    for (qreal t : {0.12, 0.40, 0.55, 0.78, 0.90}) {
        const bool toRight = dice.chance(0.5);
        const QPointF from = stem.pointAtPercent(t);
        const qreal angle = toRight ? dice.range(-10, 40) : 180 + dice.range(-40, 10);
        tendrils.push_back({from, angle, dice.range(22, 34), toRight ? 1 : -1});
    }

    p.setBrush(Qt::NoBrush);
    for (const Tendril& td : tendrils) {
        paintTendril(p, td.from, td.angle, td.length, td.turn);
    }
    for (const VineLeaf& leaf : leaves) {
        if (leaf.behind) {
            paintVineLeaf(p, leaf);
        }
    }
    for (const Shoot& s : shoots) {
        paintStem(p, s.path, 3.4, 1.4);
    }
    paintStem(p, stem, 7.5, 1.6);
    for (const VineLeaf& leaf : leaves) {
        if (!leaf.behind) {
            paintVineLeaf(p, leaf);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Button glyphs, drawn on a 32 x 32 grid; `small` is the 16-pixel drawing with fewer, bolder
// lines, since detail merges into mud at that size.

const QColor kGreen(0x2e, 0x7d, 0x32);
const QColor kLightGreen(0x66, 0xbb, 0x6a);
const QColor kDarkGreen(0x1b, 0x5e, 0x20);
const QColor kBrown(0x6d, 0x4c, 0x41);
const QColor kLightBrown(0xa1, 0x88, 0x7f);
const QColor kSoil(0x79, 0x55, 0x48);
const QColor kGrey(0x61, 0x61, 0x61);
const QColor kLightGrey(0xb0, 0xbe, 0xc5);

void fillLeaf(QPainter& p, const QPainterPath& leaf, const QColor& colour, qreal rim) {
    p.setPen(QPen(colour.darker(140), rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPath(leaf);
}

void drawOverview(QPainter& p, bool small) {
    // A sheet with a list of plants...
    const qreal rim = small ? 2.0 : 1.3;
    p.setPen(QPen(kGrey, rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xfa, 0xfa, 0xf5));
    p.drawRoundedRect(QRectF(3.5, 2.5, 19, 25), 2.5, 2.5);
    const std::vector<qreal> rows =
        small ? std::vector<qreal>{9, 17} : std::vector<qreal>{8, 13, 18};
    for (qreal y : rows) {
        fillLeaf(p, simpleLeaf(QPointF(6.5, y + 1.8), QPointF(10.5, y - 1.8), small ? 2.0 : 1.6),
                 kLightGreen, small ? 1.0 : 0.7);
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), small ? 2.6 : 1.7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(13, y), QPointF(small ? 18 : 19.5, y));
    }
    // ...and a magnifier over it showing a leaf up close.
    const QPointF c(20.5, 20.5);
    const qreal r = small ? 7.0 : 6.8;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe8, 0xf5, 0xe9));
    p.drawEllipse(c, r, r);
    fillLeaf(p, simpleLeaf(c + QPointF(-3.4, 3.4), c + QPointF(3.6, -3.6), 2.8), kGreen,
             small ? 1.0 : 0.8);
    if (!small) {
        p.setPen(QPen(kLightGreen.lighter(130), 0.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(-2.6, 2.6), c + QPointF(2.4, -2.4));
    }
    p.setPen(QPen(kBrown, 4.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(5.4, 5.4), QPointF(29.5, 29.5));
    p.setPen(QPen(kGrey, small ? 3.0 : 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
}

void drawRegister(QPainter& p, bool small) {
    // A leaf being drawn...
    QTransform t;
    t.translate(11, 22);
    t.rotate(-20);
    t.scale(17, 17);
    if (small) {
        fillLeaf(p, t.map(ivyLeafPath(LeafCut{0.58, 0.36, 0.3})), kGreen, 1.6);
    } else {
        paintIvyLeaf(p, t, LeafCut{0.58, 0.36, 0.4}, kGreen, 17, false, true);
    }
    // ...and the pencil doing it, lying diagonally with its point at the leaf's edge.
    p.save();
    p.translate(17.5, 22.5);
    p.rotate(-45);
    const qreal h = small ? 3.6 : 3.2;  // half the pencil's thickness
    const QPen edge(QColor(0x3e, 0x2a, 0x1e), small ? 1.4 : 1.0, Qt::SolidLine, Qt::RoundCap,
                    Qt::RoundJoin);
    // Sharpened wood and its graphite point.
    QPainterPath wood;
    wood.moveTo(0, 0);
    wood.lineTo(6, -h);
    wood.lineTo(6, h);
    wood.closeSubpath();
    p.setPen(edge);
    p.setBrush(QColor(0xe8, 0xcf, 0xa5));
    p.drawPath(wood);
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(2.2, -h * 0.37);
    lead.lineTo(2.2, h * 0.37);
    lead.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x42, 0x42, 0x42));
    p.drawPath(lead);
    // Green painted body with a lighter facet.
    p.setPen(edge);
    p.setBrush(QColor(0x43, 0xa0, 0x47));
    p.drawRect(QRectF(6, -h, 11, 2 * h));
    if (!small) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x81, 0xc7, 0x84));
        p.drawRect(QRectF(6.5, -h + 0.6, 10, h * 0.55));
    }
    // Metal band and eraser.
    p.setPen(edge);
    p.setBrush(kLightGrey);
    p.drawRect(QRectF(17, -h, 2.6, 2 * h));
    p.setBrush(kLightBrown);
    p.drawRoundedRect(QRectF(19.6, -h, 3.2, 2 * h), 1.2, 1.2);
    p.restore();
}

void drawGardenWorks(QPainter& p, bool small) {
    const qreal rim = small ? 1.5 : 1.0;
    // A spade stuck in the bed, behind the plant.
    p.setPen(QPen(kBrown, small ? 3.0 : 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 4.5), QPointF(24, 18));
    p.setPen(QPen(kBrown, small ? 2.6 : 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20.5, 4), QPointF(27.5, 4));
    QPainterPath blade;
    blade.moveTo(20, 16);
    blade.lineTo(28, 16);
    blade.lineTo(28, 22);
    blade.quadTo(28, 25.5, 24, 27);
    blade.quadTo(20, 25.5, 20, 22);
    blade.closeSubpath();
    p.setPen(QPen(kGrey, rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xcf, 0xd8, 0xdc));
    p.drawPath(blade);

    // The plant: a stem with a pair of leaves and a crown leaf.
    p.setPen(QPen(kDarkGreen, small ? 2.2 : 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 23), QPointF(11, 9));
    fillLeaf(p, simpleLeaf(QPointF(11, 18), QPointF(3.5, 12.5), 3.0), kGreen, rim);
    fillLeaf(p, simpleLeaf(QPointF(11, 15.5), QPointF(18.5, 10), 3.0), kLightGreen, rim);
    fillLeaf(p, simpleLeaf(QPointF(11, 10.5), QPointF(11.5, 3), 2.6), kGreen, rim);

    // The raised bed in front: a soil mound in a wooden edging.
    QPainterPath soil;
    soil.moveTo(2.5, 24);
    soil.quadTo(16, 17.5, 29.5, 24);
    soil.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kSoil);
    p.drawPath(soil);
    p.setPen(QPen(QColor(0x4e, 0x34, 0x2e), rim));
    p.setBrush(QColor(0x8d, 0x6e, 0x63));
    p.drawRoundedRect(QRectF(2, 23.5, 28, 5.5), 1.2, 1.2);
    if (!small) {
        p.setPen(QPen(QColor(0x5d, 0x40, 0x37), 0.8));
        for (qreal x : {11.0, 21.0}) {
            p.drawLine(QPointF(x, 24), QPointF(x, 28.5));
        }
    }
}

void drawQuit(QPainter& p, bool small) {
    const qreal rim = small ? 1.6 : 1.1;
    const QPen edge(QColor(0x3e, 0x2a, 0x1e), rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    // The doorway, dark inside...
    p.setPen(QPen(kGrey, small ? 2.0 : 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(0x45, 0x5a, 0x64));
    p.drawRect(QRectF(4, 3, 15, 25));
    // ...with the door swung open towards us on its left hinge.
    QPainterPath door;
    door.moveTo(4, 3);
    door.lineTo(12, 6);
    door.lineTo(12, 30.5);
    door.lineTo(4, 28);
    door.closeSubpath();
    p.setPen(edge);
    p.setBrush(QColor(0x8d, 0x6e, 0x63));
    p.drawPath(door);
    if (!small) {
        p.setPen(QPen(QColor(0x6d, 0x4c, 0x41), 0.8));
        p.setBrush(Qt::NoBrush);
        QPainterPath panel;
        panel.moveTo(6, 7);
        panel.lineTo(10.5, 8.8);
        panel.lineTo(10.5, 16.5);
        panel.lineTo(6, 15.5);
        panel.closeSubpath();
        p.drawPath(panel);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xd5, 0x4f));
    p.drawEllipse(QPointF(10.3, 18.5), small ? 1.4 : 1.1, small ? 1.4 : 1.1);

    // The way out: a green arrow leaving through the door.
    QPainterPath arrow;
    arrow.moveTo(14, 13.5);
    arrow.lineTo(22, 13.5);
    arrow.lineTo(22, 8.5);
    arrow.lineTo(30.5, 16);
    arrow.lineTo(22, 23.5);
    arrow.lineTo(22, 18.5);
    arrow.lineTo(14, 18.5);
    arrow.closeSubpath();
    p.setPen(QPen(kDarkGreen, rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x43, 0xa0, 0x47));
    p.drawPath(arrow);
}

void drawNewPlant(QPainter& p, bool small) {
    const qreal rim = small ? 1.5 : 1.0;
    // A sprout with its first two leaves...
    p.setPen(QPen(kDarkGreen, small ? 2.4 : 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath stalk(QPointF(13, 25));
    stalk.quadTo(QPointF(12, 19), QPointF(13.5, 14));
    p.drawPath(stalk);
    fillLeaf(p, simpleLeaf(QPointF(13.5, 14.5), QPointF(3, 10), 3.8), kGreen, rim);
    fillLeaf(p, simpleLeaf(QPointF(13.5, 14.5), QPointF(21, 17.5), 3.2), kLightGreen, rim);
    // ...in a little mound of earth.
    QPainterPath mound;
    mound.moveTo(3, 29);
    mound.quadTo(13, 19.5, 23, 29);
    mound.closeSubpath();
    p.setPen(QPen(QColor(0x4e, 0x34, 0x2e), rim, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kSoil);
    p.drawPath(mound);

    // The plus says "add one".
    const QPointF c(23.5, 8.5);
    const qreal r = small ? 7.5 : 7.0;
    p.setPen(QPen(kDarkGreen, rim));
    p.setBrush(QColor(0x43, 0xa0, 0x47));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(Qt::white, small ? 3.0 : 2.4, Qt::SolidLine, Qt::RoundCap));
    const qreal arm = r * 0.55;
    p.drawLine(c + QPointF(-arm, 0), c + QPointF(arm, 0));
    p.drawLine(c + QPointF(0, -arm), c + QPointF(0, arm));
}

void drawGlyph(QPainter& p, Glyph g, bool small) {
    switch (g) {
        case Glyph::Overview:
            drawOverview(p, small);
            return;
        case Glyph::Register:
            drawRegister(p, small);
            return;
        case Glyph::GardenWorks:
            drawGardenWorks(p, small);
            return;
        case Glyph::Quit:
            drawQuit(p, small);
            return;
        case Glyph::NewPlant:
            drawNewPlant(p, small);
            return;
    }
}

QImage renderGlyph(Glyph g, int px, QPointF shift) {
    QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(shift);
    p.scale(px / 32.0, px / 32.0);
    drawGlyph(p, g, px < 24);
    return img;
}

// The hover picture: the same drawing, lit up a little.
QImage brighter(const QImage& src) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = line[x];
            const int a = qAlpha(c);
            if (a == 0) {
                continue;
            }
            // Lighter in value only, so the greens stay as strong as they are.
            QColor lit = QColor::fromRgb(c).lighter(122);
            lit.setAlpha(a);
            line[x] = lit.rgba();
        }
    }
    return img;
}

// ---------------------------------------------------------------------------------------------
// The window icon

void drawAppIcon(QPainter& p, int px) {
    p.scale(px / 256.0, px / 256.0);
    const bool small = px < 32;

    // The rounded square: pale green, darker at the foot, with a firm green rim.
    const QRectF square(8, 8, 240, 240);
    QLinearGradient ground(square.topLeft(), square.bottomLeft());
    ground.setColorAt(0, QColor(0xf1, 0xf8, 0xe9));
    ground.setColorAt(1, QColor(0xc5, 0xe1, 0xa5));
    p.setPen(QPen(QColor(0x38, 0x8e, 0x3c), small ? 16 : 8));
    p.setBrush(ground);
    p.drawRoundedRect(square, 52, 52);

    // The leaf's stalk runs out at the lower right, as if picked from the vine.
    p.setPen(QPen(QColor(0x5d, 0x54, 0x2a), small ? 16 : 10, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath stalk(QPointF(132, 196));
    stalk.quadTo(QPointF(150, 222), QPointF(186, 226));
    p.drawPath(stalk);

    QTransform t;
    t.translate(132, 200);
    t.rotate(-8);
    t.scale(168, 168);
    const LeafCut cut{0.60, 0.42, 0.6};
    if (small) {
        fillLeaf(p, t.map(ivyLeafPath(cut)), kGreen, 10);
    } else {
        paintIvyLeaf(p, t, cut, QColor(0x2e, 0x8b, 0x38), 168, true, true);
    }
}

QPixmap renderAppIcon(int px) {
    QPixmap pm(px, px);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawAppIcon(p, px);
    return pm;
}

// A font that fits `text` into `width`: narrowed first, which keeps the height the layout was
// made for, then made smaller if narrowing alone is not enough.
QFont fittedFont(const QFont& font, const QString& text, qreal width, QPaintDevice* device) {
    QFont f = font;
    auto advance = [&] { return QFontMetricsF(f, device).horizontalAdvance(text); };
    qreal w = advance();
    if (w <= width || w <= 0 || width <= 0) {
        return f;
    }
    f.setStretch(std::max(75, int(std::floor(100 * width / w))));
    w = advance();
    for (int tries = 0; tries < 8 && w > width; ++tries) {
        const qreal k = width / w * 0.98;
        if (f.pixelSize() > 0) {
            f.setPixelSize(std::max(1, int(f.pixelSize() * k)));
        } else {
            f.setPointSizeF(std::max(1.0, f.pointSizeF() * k));
        }
        w = advance();
    }
    return f;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

QPixmap ivyVine(const QSize& size) {
    if (size.isEmpty()) {
        return {};
    }
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / kVineW, size.height() / kVineH);
    paintVine(p);
    return pm;
}

QFont titleFont(int pixelHeight) {
    QFont f(QStringLiteral("Times New Roman"));
    // Times by its other names first; failing all of them, any serif rather than the sans.
    f.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Times"),
                   QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman"),
                   QStringLiteral("TeX Gyre Termes"), QStringLiteral("FreeSerif")});
    f.setStyleHint(QFont::Serif, QFont::PreferAntialias);
    f.setBold(true);
    f.setPixelSize(std::max(1, pixelHeight));
    return f;
}

void paintShadowText(QPainter& p, const QRect& r, const QString& text, const QFont& font,
                     const QColor& colour, const QColor& shadow, int shadowOffset, int alignment) {
    if (text.isEmpty() || r.isEmpty()) {
        return;
    }
    // Leave room for the shadow inside `r` on the side it falls to.
    const int off = std::abs(shadowOffset);
    QRect textRect = shadowOffset >= 0 ? r.adjusted(0, 0, -off, -off) : r.adjusted(off, off, 0, 0);
    if (textRect.isEmpty()) {
        textRect = r;
    }
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(fittedFont(font, text, textRect.width(), p.device()));
    const int flags = alignment | Qt::TextSingleLine;
    if (shadowOffset != 0 && shadow.alpha() > 0) {
        p.setPen(shadow);
        p.drawText(textRect.translated(shadowOffset, shadowOffset), flags, text);
    }
    p.setPen(colour);
    p.drawText(textRect, flags, text);
    p.restore();
}

ShadowLabel::ShadowLabel(QWidget* parent) : QWidget(parent), m_shadowColor(0x9e, 0x9e, 0x9e) {
    // Only the text is painted; whatever is behind the label shows through.
    setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ShadowLabel::setText(const QString& text) {
    if (text == m_text) {
        return;
    }
    m_text = text;
    updateGeometry();
    update();
}

void ShadowLabel::setTextColor(const QColor& colour) {
    m_textColor = colour;
    update();
}

void ShadowLabel::resetTextColor() {
    setTextColor(QColor());
}

void ShadowLabel::setShadowColor(const QColor& colour) {
    m_shadowColor = colour;
    update();
}

void ShadowLabel::setShadowOffset(int offset) {
    if (offset == m_shadowOffset) {
        return;
    }
    m_shadowOffset = offset;
    updateGeometry();
    update();
}

QSize ShadowLabel::sizeHint() const {
    const QFontMetrics fm(font());
    const int off = std::abs(m_shadowOffset);
    const QMargins m = contentsMargins();
    return QSize(fm.horizontalAdvance(m_text) + off + m.left() + m.right(),
                 fm.height() + off + m.top() + m.bottom());
}

QSize ShadowLabel::minimumSizeHint() const {
    const QFontMetrics fm(font());
    const QMargins m = contentsMargins();
    return QSize(m.left() + m.right(),
                 fm.height() + std::abs(m_shadowOffset) + m.top() + m.bottom());
}

void ShadowLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor colour =
        m_textColor.isValid() ? m_textColor : palette().color(QPalette::WindowText);
    paintShadowText(p, contentsRect(), m_text, font(), colour, m_shadowColor, m_shadowOffset);
}

QIcon buttonGlyph(Glyph g) {
    QIcon icon;
    for (int px : {16, 32, 64}) {
        const QImage normal = renderGlyph(g, px, QPointF(0, 0));
        const QImage lit = brighter(normal);
        // Pressed in: the picture moves a pixel down and right, as the button face does.
        const qreal shift = std::max(1, px / 32);
        const QImage pressed = brighter(renderGlyph(g, px, QPointF(shift, shift)));
        icon.addPixmap(QPixmap::fromImage(normal), QIcon::Normal, QIcon::Off);
        icon.addPixmap(QPixmap::fromImage(lit), QIcon::Active, QIcon::Off);
        icon.addPixmap(QPixmap::fromImage(lit), QIcon::Selected, QIcon::Off);
        icon.addPixmap(QPixmap::fromImage(pressed), QIcon::Normal, QIcon::On);
        icon.addPixmap(QPixmap::fromImage(pressed), QIcon::Active, QIcon::On);
        icon.addPixmap(QPixmap::fromImage(pressed), QIcon::Selected, QIcon::On);
    }
    return icon;
}

QIcon appIcon() {
    QIcon icon;
    for (int px : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(renderAppIcon(px));
    }
    return icon;
}

void paintAppIcon(QPainter& p, int px) {
    drawAppIcon(p, px);
}

}  // namespace app::artwork

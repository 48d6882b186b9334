// The Skew-T log-p picture of a sounding as SVG: temperature skewed 45 degrees, pressure
// logarithmic from 1050 to 100 mb, the lightly drawn and labelled background lines, the
// temperature (red) and dew point (green) profiles with gaps where values are absent, the surface
// parcel's path dashed with its positive area shaded, wind barbs in knots and a title.
#pragma once

#include <string>

#include "analysis/indices.h"
#include "analysis/profile.h"

namespace wxfetch {

constexpr int SKEWT_WIDTH = 720;
constexpr int SKEWT_HEIGHT = 780;

// The definitions every picture refers to: the clip path "skewt-clip" of the plotting area and
// the group "skewt-background" of isobars, isotherms, dry and moist adiabats and mixing-ratio
// lines with their labels. Computed once and kept.
const std::string& skewt_definitions();

// The picture's own elements (to be placed in an <svg> that can see skewt_definitions()).
std::string skewt_body(const Profile& profile, const SoundingAnalysis& analysis);

// A complete SVG document: the definitions, the body and the hodograph beside the diagram
// (SKEWT_WIDTH + HODOGRAPH_SIZE wide).
std::string skewt_document(const Profile& profile, const SoundingAnalysis& analysis);

// The opening tag of a picture's <svg> element with its size and namespaces.
std::string skewt_open_tag();

// The picture's title: WMO number, initials and time ("72357 OUN 1999-05-04 00Z").
std::string skewt_title(const Profile& profile);

// `text` with <, >, & and " replaced by their entities, for XML and HTML text and attributes.
std::string xml_escaped(const std::string& text);

}  // namespace wxfetch

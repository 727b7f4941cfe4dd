// The live preview of the Edge Effect page: a small sample picture put
// through the real edge effect with the page's settings.
#pragma once

#include "base/configuration.h"
#include "delivery/random_source.h"
#include "ui/bitmap.h"

// The sample picture: a small window with a title bar and some lines of text
// (24 bits per pixel).
ui::Bitmap EdgeSample();

// The sample with the edge effect of the settings (EdgeOn is not consulted:
// the preview always shows the effect) and a grey ($808080) frame round the
// whole result. random: the generator of the torn sides (null: the program's).
ui::Bitmap RenderEdgePreview(const TConfiguration& c, delivery::RandomSource* random = nullptr);

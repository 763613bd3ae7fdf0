// The texts of the demonstration edition's four lessons.
#include "catalogue.h"

namespace dd {

const DemoText demoTexts[kDemoCount] = {
    {"001", "Placeholder one. Two.", "仮の文です。", "仮の／文です。"},
    {"002", "Placeholder two. Three.", "仮の文です。", "仮の／文です。"},
    {"003", "Placeholder three. Four.", "仮の文です。", "仮の／文です。"},
    {"004", "Placeholder four. Five.", "仮の文です。", "仮の／文です。"},
};

}  // namespace dd

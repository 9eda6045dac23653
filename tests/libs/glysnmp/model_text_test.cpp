// Which printer row descriptions name no model, so that the IEEE 1284
// device ID's model is shown instead.
#include <gtest/gtest.h>

#include "device_identity.h"

namespace {

TEST(ModelText, OnlyGenericWordsAndBareFamilyCodesAreGeneric) {
  for (const char* generic : {"Generic 28C-1", "generic", " GENERIC PCL 6 ", "28C-1", "36C-9B", "P-4"}) {
    EXPECT_TRUE(glysnmp::IsGenericModelText(generic)) << generic;
  }
  for (const char* model : {"Ostrel Slate 9 MFP", "Genericon 5", "Slate 12", "C3530", "LaserLine", "28c-1",
                            "SLATE-9 MFP", "ABCDEFGHIJKLMNOP-1", ""}) {
    EXPECT_FALSE(glysnmp::IsGenericModelText(model)) << model;
  }
}

}  // namespace

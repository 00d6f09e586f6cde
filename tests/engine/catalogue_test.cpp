// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "engine/catalogue.h"

namespace zeva {
namespace {

TEST(DiameterCatalogue, texts_keep_every_blank) {
    EXPECT_EQ(DiameterCatalogue[0].text, "AWG 18  1mm");
    EXPECT_EQ(DiameterCatalogue[4].text, "AWG 8    3.2mm");
    EXPECT_EQ(DiameterCatalogue[11].text, "5/8         15.9mm ");
    EXPECT_EQ(DiameterCatalogue[14].text, "1            25.4mm");  // 12 blanks
    EXPECT_EQ(DiameterCatalogue[14].text.substr(1, 12), std::string(12, ' '));
    EXPECT_EQ(DiameterCatalogue[21].text, "2             50.8mm");  // 13 blanks
    EXPECT_EQ(DiameterCatalogue[21].text.substr(1, 13), std::string(13, ' '));
    const std::size_t lengths[] = {11, 13, 11, 13, 14, 16, 17, 16, 17, 17, 18,
                                   19, 16, 18, 19, 17, 17, 17, 17, 17, 17, 20};
    for (std::size_t i = 0; i < DiameterCatalogue.size(); ++i) {
        EXPECT_EQ(DiameterCatalogue[i].text.size(), lengths[i]) << i;
    }
}

TEST(SelectDiameter, stores_the_single_nearest_the_gauge) {
    DesignState state;
    EXPECT_EQ(state.b, 0.0f);
    selectDiameter(state, 0);
    EXPECT_EQ(static_cast<double>(state.b), 0.039999999105930328);
    selectDiameter(state, 3);
    EXPECT_EQ(static_cast<double>(state.b), 0.10189999639987946);
    selectDiameter(state, 21);
    EXPECT_EQ(state.b, 2.0f);
}

TEST(SelectDiameter, goes_by_index_not_by_the_millimetre_label) {
    DesignState state;
    selectDiameter(state, 1);
    EXPECT_EQ(state.b, 0.064f);
    selectDiameter(state, 5);
    EXPECT_EQ(state.b, 0.0625f);
}

TEST(SelectDiameter, an_index_without_an_entry_leaves_b_as_it_is) {
    DesignState state;
    selectDiameter(state, 10);
    for (const int index : {-1, 22, 32767, -32768}) {
        selectDiameter(state, index);
        EXPECT_EQ(state.b, 0.5f) << index;
    }
    const DesignState before = state;
    selectDiameter(state, 10);
    EXPECT_EQ(state, before);
}

}  // namespace
}  // namespace zeva

# SPDX-License-Identifier: MIT
# Read by ctest after the tests are discovered: the longest of them first, each with a cost
# near its time under the sanitizers, in seconds.
foreach(entry IN ITEMS
        "Cli.a_sweep_of_a_match_set_off_gives_the_strap_and_capacitor_back=57"
        "Design.the_optimiser_tab_searches_in_the_background_and_its_design_can_be_used=40"
        "Cli.gamma_and_t_matches_give_their_feed_in_a_deck_of_their_own_parts=26"
        "Design.boom_correction_and_match_follow_the_controls=17"
        "Optimiser.the_start_is_kept_where_the_result_is_refused_or_no_better=15"
        "RodMatch.the_line_sees_fifty_ohms_through_a_gamma_or_a_t_match=14"
        "Design.the_studies_follow_their_controls_and_match_zeva_sheet=12"
        "TrimAdvice.behind_a_coaxial_transformer_the_cable_or_the_element_is_named=11"
        "Cli.a_driven_element_through_the_boom_is_cut_longer_in_every_format=10"
        "Cli.matches_that_would_change_nothing_or_nothing_sensible_are_refused=10")
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 name)
    list(GET pair 1 cost)
    set_tests_properties("${name}" PROPERTIES COST ${cost})
endforeach()

# The rule tables built from the rule file, and the matching helpers they share.
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/rs_xzjd_sqcz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pmlx_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cxjm_fkssq_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rule_match.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cbxm_impl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfbz_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xzylgx_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sbjbjg_zspm_dz_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/yhhb_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sfzjlx_gj_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xzqh_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grdjxzdz_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grcbrytslbdz_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cxjmyjfedc_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ryzt_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/key_value_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cxjm_syrqlx_dz_gz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xnhflbs_gz.cpp
)

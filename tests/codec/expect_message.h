// EXPECT_THROW_MSG: expects `statement` to throw `type` with exactly `message` as what().
#pragma once

#include <gtest/gtest.h>

#include <string>

#define EXPECT_THROW_MSG(statement, type, message)                                   \
  do {                                                                               \
    try {                                                                            \
      statement;                                                                     \
      ADD_FAILURE() << "expected " #type " \"" << (message) << "\", nothing thrown"; \
    } catch (const type& e) {                                                        \
      EXPECT_EQ(std::string(e.what()), std::string(message));                        \
    }                                                                                \
  } while (0)

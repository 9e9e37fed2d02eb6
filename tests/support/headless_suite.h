// A GoogleTest fixture for tests that upload or draw through GL without a window: one small
// headless context for the whole suite, current in every test, and a fresh scripted
// platform. A derived SetUp calls this one first and stops on its failure.
#pragma once

#include <gtest/gtest.h>

#include "platform/headless/headless_gl.h"
#include "tests/support/fake_platform.h"

class HeadlessSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gl_ = new HeadlessGL(64, 64); }
  static void TearDownTestSuite() {
    delete gl_;
    gl_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(gl_->ok()) << gl_->error();
    gl_->MakeCurrent();
    fake::Reset();
  }

  static inline HeadlessGL* gl_ = nullptr;
};

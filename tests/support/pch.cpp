// SPDX-License-Identifier: MIT
// Compiles the tests' precompiled header; the tests reuse it.

// Compiles the tests' precompiled header; the tests reuse it.

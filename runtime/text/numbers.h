// The number entry points compiled code calls: conversion between numbers
// and text, number patterns, integer conversions and the mathematical
// functions. Doubles travel as two stack words and come back on the x87 stack.
#pragma once
#include "text/string.h"
#include <cstdint>

extern "C" {
RString *StringStr(double x);
RString *runCStr(double x);
double StringVal(RString *s);
double runCDbl(RString *s);
RString *StringFormat(double x, RString *pattern);
RString *RuntimeHex(uint32_t v);
RString *RuntimeOct(uint32_t v);
RString *RuntimeBin(uint32_t v);
int32_t FPToInt(double x);
int32_t SingleToInt(float x);
double IntToFP(int32_t v);
int32_t RuntimeShortToInteger(int32_t v);

double RuntimeAbs(double x);
double RuntimeMax(double a, double b);
double RuntimeMin(double a, double b);
double RuntimeCeil(double x);
double RuntimeFloor(double x);
double RuntimeRound(double x);
double RuntimeSqrt(double x);
double RuntimeLog(double x);
double RuntimeExp(double x);
double RuntimePow(double x, double y);
double RuntimeSin(double x);
double RuntimeCos(double x);
double RuntimeTan(double x);
double RuntimeASin(double x);
double RuntimeACos(double x);
double RuntimeATan(double x);
double RuntimeATan2(double y, double x);
int32_t BitwiseAnd(int32_t a, int32_t b);
int32_t BitwiseOr(int32_t a, int32_t b);
int32_t BitwiseXor(int32_t a, int32_t b);
double rnd();
}

// Sets the generator behind rnd, as its first use would from the clock.
void rnd_seed(int32_t seed);

#pragma once

// The game's own sines, arctangents, exponentials and powers.
//
// A level must play the same from its seed on every processor. The C library picks its code for
// sin, cos, atan2, exp, pow and the like by the processor it runs on, and the variants differ in
// the last bit now and then: a unit that turns a hair further on one machine walks another path
// a minute later. These functions use only operations whose results IEEE fixes to the bit
// (+, -, *, /, sqrt, rounding to integers, integer arithmetic), evaluated in double and rounded to
// float once at the end, and this file is compiled without fused multiply-adds. So every
// machine computes the same bits, each result within one unit in the last place of the true value.
// NaN gives NaN; infinities, zeros of either sign and huge angles answer as the C library does.
//
// The game calls them with floats, and a few with doubles; the double forms it does not need are
// deleted, so that a double argument is an error here rather than a silent change of precision.
// The double forms are as steady: the power within one unit in the last place of a double, to
// the largest exponents and the ends of the doubles; the sine and cosine within a few.
//
// SinCos gives, to the bit, the Sin and the Cos of its angle, for the work of one of them: a
// rotation takes both from one call.

float Sin(float angle);
float Cos(float angle);
void SinCos(float angle, float* sine, float* cosine);
float Tan(float angle);
float Atan(float x);
float Atan2(float y, float x);
float Acos(float x);
float Asin(float x);
float Exp(float x);
float Log(float x);
float Log10(float x);
float Pow(float base, float exponent);
double Pow(double base, double exponent);
double Sin(double angle);
double Cos(double angle);
void SinCos(double angle, double* sine, double* cosine);

double Tan(double) = delete;
double Atan(double) = delete;
double Atan2(double, double) = delete;
double Acos(double) = delete;
double Asin(double) = delete;
double Exp(double) = delete;
double Log(double) = delete;
double Log10(double) = delete;

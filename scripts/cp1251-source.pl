#!/usr/bin/perl
# Writes a C++ source written in UTF-8 as the compiler of any host can take it
# for code page 1251: each character past ASCII in a string or character
# literal becomes an octal escape of its code page 1251 byte (an octal escape
# ends after three digits, so a digit that follows stays its own character).
# Comments and code are copied as they are. A character the code page lacks
# stops the build. Usage: cp1251-source.pl INPUT OUTPUT
use strict;
use warnings;
use Encode qw(decode encode);

my ($input, $output) = @ARGV;
die "usage: $0 INPUT OUTPUT\n" unless defined $output;
open my $in, '<:raw', $input or die "$input: $!\n";
my $code = decode('UTF-8', do { local $/; <$in> }, Encode::FB_CROAK);
close $in;

sub cp1251_escaped {
  my ($literal) = @_;
  $literal =~ s{([^\x00-\x7F])}{
    my $byte = encode('cp1251', $1, sub { die sprintf("%s: U+%04X has no code page 1251 byte\n", $input, $_[0]) });
    sprintf('\\%03o', ord $byte)
  }ge;
  return $literal;
}

my $converted = '';
while ($code =~ m{\G(?:("(?:[^"\\\n]|\\.)*"|'(?:[^'\\\n]|\\.)*')|(//[^\n]*|/\*.*?\*/)|([^"'/]+|/))}gs) {
  $converted .= defined $1 ? cp1251_escaped($1) : defined $2 ? $2 : $3;
}
open my $out, '>:raw', "$output.tmp" or die "$output.tmp: $!\n";
print $out "#line 1 \"$input\"\n", encode('UTF-8', $converted);
close $out or die "$output.tmp: $!\n";
rename "$output.tmp", $output or die "$output: $!\n";

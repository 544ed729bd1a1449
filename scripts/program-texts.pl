#!/usr/bin/perl
# Prints every text of the program that a player can meet, one a line, in code
# page 1251: the string literals of the given C++ sources that hold a Cyrillic
# letter (code page 1251 bytes 0xC0 to 0xFF, Ё and ё), with adjacent literals
# joined as the compiler joins them and each split at "|" (the file dialog's
# filter list). Comments are skipped; escapes (\xNN, \", \\, \n...) are decoded.
use strict;
use warnings;

my %seen;
for my $file (@ARGV) {
  open my $in, '<:raw', $file or die "$file: $!\n";
  my $code = do { local $/; <$in> };
  close $in;
  my ($text, $open) = ('', 0);
  while ($code =~ m{\G(?:("(?:[^"\\\n]|\\.)*")|('(?:[^'\\\n]|\\.)*')|(//[^\n]*)|(/\*.*?\*/)|(\s+)|([^"'/\s]+|/))}gs) {
    if (defined $1) {
      $text .= decode(substr($1, 1, -1));
      $open = 1;
    } elsif (defined $3 || defined $4 || defined $5) {
      next;  # comments and blanks may stand between joined literals
    } else {
      finish($text) if $open;
      ($text, $open) = ('', 0);
    }
  }
  finish($text) if $open;
}

sub decode {
  my ($s) = @_;
  my %simple = (n => "\n", r => "\r", t => "\t", '"' => '"', "'" => "'", '\\' => '\\', '?' => '?', 0 => "\0");
  $s =~ s/\\(x[0-9A-Fa-f]+|[nrt"'\\?0])/length($1) > 1 && substr($1, 0, 1) eq 'x' ? chr(hex(substr($1, 1))) : $simple{$1}/ge;
  return $s;
}

sub finish {
  my ($text) = @_;
  for my $part (split /\|/, $text) {
    next unless $part =~ /[\xC0-\xFF\xA8\xB8]/;
    print "$part\n" unless $seen{$part}++;
  }
}

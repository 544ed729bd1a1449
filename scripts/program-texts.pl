#!/usr/bin/perl
# Prints every text of the program that a player can meet, one a line, in code
# page 1251. The table of the program's texts (installer/messages/messages.cpp,
# written in UTF-8) gives all of its string literals: a sentence is cut at its
# placeholders ({1}, {2}...) and line breaks into the parts the player's guide
# must quote. Of any other C++ source given, the string literals that hold a
# Russian word (three or more Cyrillic letters in a row, in code page 1251:
# bytes 0xC0 to 0xFF, Ё and ё) are printed too, so a text written outside the
# table is still checked. Adjacent literals are joined as the compiler joins
# them; a text with "|" is a file dialog's filter list ("description|pattern|
# ..."), of which the descriptions are taken. Comments and preprocessor lines
# are skipped; escapes (\xNN, \", \\, \n...) are decoded.
use strict;
use warnings;
use Encode qw(decode encode);

my %seen;
for my $file (@ARGV) {
  open my $in, '<:raw', $file or die "$file: $!\n";
  my $code = do { local $/; <$in> };
  close $in;
  my $table = $file =~ m{(^|/)messages\.cpp$};
  my ($text, $open) = ('', 0);
  while ($code =~ m{\G(?:("(?:[^"\\\n]|\\.)*")|('(?:[^'\\\n]|\\.)*')|(//[^\n]*|\#[^\n]*)|(/\*.*?\*/)|(\s+)|([^"'/\s\#]+|/))}gs) {
    if (defined $1) {
      my $literal = unescape(substr($1, 1, -1));
      $text .= $table ? encode('cp1251', decode('UTF-8', $literal, Encode::FB_CROAK), Encode::FB_CROAK) : $literal;
      $open = 1;
    } elsif (defined $3 || defined $4 || defined $5) {
      next;  # comments and blanks may stand between joined literals
    } else {
      finish($text, $table) if $open;
      ($text, $open) = ('', 0);
    }
  }
  finish($text, $table) if $open;
}

sub unescape {
  my ($s) = @_;
  my %simple = (n => "\n", r => "\r", t => "\t", '"' => '"', "'" => "'", '\\' => '\\', '?' => '?', 0 => "\0");
  $s =~ s/\\(x[0-9A-Fa-f]+|[nrt"'\\?0])/length($1) > 1 && substr($1, 0, 1) eq 'x' ? chr(hex(substr($1, 1))) : $simple{$1}/ge;
  return $s;
}

sub finish {
  my ($text, $table) = @_;
  my @parts = split /\|/, $text, -1;
  @parts = @parts[grep { $_ % 2 == 0 } 0 .. $#parts] if @parts > 1;
  @parts = map { split /\{[1-9]\}|\n/, $_ } @parts if $table;
  for my $part (@parts) {
    next unless $part =~ /[\xC0-\xFF\xA8\xB8]{3}/ || ($table && $part =~ /\S/);
    print "$part\n" unless $seen{$part}++;
  }
}

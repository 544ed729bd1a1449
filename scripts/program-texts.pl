#!/usr/bin/perl
# Prints every text of the program that a player can meet, one a line, in code
# page 1251: the string literals of the given C++ sources that hold a Russian
# word (three or more Cyrillic letters in a row: bytes 0xC0 to 0xFF, Ё and ё;
# byte-order marks have none), and every string literal of the sources named
# *texts.h or *messages.h (the window's texts and the messages, English ones
# included). Adjacent literals are joined as the compiler joins them; a text
# with "|" is a file dialog's filter list ("description|pattern|..."), of which
# the descriptions are taken. Comments are skipped;
# escapes (\xNN, \", \\, \n...) are decoded.
use strict;
use warnings;

my %seen;
for my $file (@ARGV) {
  open my $in, '<:raw', $file or die "$file: $!\n";
  my $code = do { local $/; <$in> };
  close $in;
  my $all_texts = $file =~ /(texts|messages)\.h$/;
  my ($text, $open) = ('', 0);
  while ($code =~ m{\G(?:("(?:[^"\\\n]|\\.)*")|('(?:[^'\\\n]|\\.)*')|(//[^\n]*)|(/\*.*?\*/)|(\s+)|([^"'/\s]+|/))}gs) {
    if (defined $1) {
      $text .= decode(substr($1, 1, -1));
      $open = 1;
    } elsif (defined $3 || defined $4 || defined $5) {
      next;  # comments and blanks may stand between joined literals
    } else {
      finish($text, $all_texts) if $open;
      ($text, $open) = ('', 0);
    }
  }
  finish($text, $all_texts) if $open;
}

sub decode {
  my ($s) = @_;
  my %simple = (n => "\n", r => "\r", t => "\t", '"' => '"', "'" => "'", '\\' => '\\', '?' => '?', 0 => "\0");
  $s =~ s/\\(x[0-9A-Fa-f]+|[nrt"'\\?0])/length($1) > 1 && substr($1, 0, 1) eq 'x' ? chr(hex(substr($1, 1))) : $simple{$1}/ge;
  return $s;
}

sub finish {
  my ($text, $all_texts) = @_;
  my @parts = split /\|/, $text, -1;
  @parts = @parts[grep { $_ % 2 == 0 } 0 .. $#parts] if @parts > 1;
  for my $part (@parts) {
    next unless $part =~ /[\xC0-\xFF\xA8\xB8]{3}/ || ($all_texts && $part =~ /\S/);
    print "$part\n" unless $seen{$part}++;
  }
}

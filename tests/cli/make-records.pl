#!/usr/bin/perl
# make-records.pl N [SHARE]: N JSON Lines records of 20 to 400 characters,
# the same on every run: GSM-7 text with extension characters and escapes in
# JSON, ids as numbers and as strings. A SHARE of them (default 1) also draw
# from words without a GSM-7 form (accents, Cyrillic, Chinese, emoji).
use strict;
use warnings;
no warnings 'qw'; # commas in the words are words' own
use utf8;
binmode STDOUT, ':encoding(UTF-8)';

my $count = shift // 1000;
my $share = shift // 1;
srand(20261208);
my @gsm = qw(the quick brown fox jumps over a lazy dog. Meet me at 5pm, bring 20€
             {braces} [brackets] caret^ tilde~ pipe| back\\\\slash \\"quoted\\"
             Ärger über Ç café);
my @all = (@gsm, qw(größe ç naïve — 😀 👍🏽 привет мир 你好));
for my $n (1 .. $count) {
    my $target = 20 + int(rand(381));
    my $words = rand() < $share ? \@all : \@gsm;
    my $text = "";
    $text .= $words->[int(rand(@$words))] . " " while length($text) < $target;
    $text = substr($text, 0, $target);
    $text =~ s/\\+$//;    # never end on half an escape
    my $id = $n % 3 ? $n : "\"m$n\"";
    print "{\"id\":$id,\"text\":\"$text\"}\n";
}

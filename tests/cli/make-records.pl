#!/usr/bin/perl
# make-records.pl N: N JSON Lines records of 20 to 400 characters, the same
# on every run: GSM-7 text, extension characters, UCS-2 text and emoji,
# escapes in JSON, ids as numbers and as strings.
use strict;
use warnings;
no warnings 'qw'; # commas in the words are words' own
use utf8;
binmode STDOUT, ':encoding(UTF-8)';

my $count = shift // 1000;
srand(20261208);
my @words = qw(the quick brown fox jumps over a lazy dog. Meet me at 5pm, bring 20€
               {braces} [brackets] caret^ tilde~ pipe| back\\\\slash \\"quoted\\"
               Ärger über größe Ç ç naïve café — 😀 👍🏽 привет мир 你好);
for my $n (1 .. $count) {
    my $target = 20 + int(rand(381));
    my $text = "";
    $text .= $words[int(rand(@words))] . " " while length($text) < $target;
    $text = substr($text, 0, $target);
    $text =~ s/\\+$//;    # never end on half an escape
    my $id = $n % 3 ? $n : "\"m$n\"";
    print "{\"id\":$id,\"text\":\"$text\"}\n";
}

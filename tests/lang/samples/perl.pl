#!/usr/bin/perl
use strict;
use warnings;

package Counter;

sub new {
    my ($class, %args) = @_;
    my $self = { count => $args{start} // 0 };
    return bless $self, $class;
}

sub add {
    my ($self, $n) = @_;
    $self->{count} += $n unless $n < 0;
    return $self;
}

package main;

my $c = Counter->new(start => 1);
foreach my $line (<STDIN>) {
    chomp $line;
    next if $line eq '';
    last if $line =~ /^__END__$/;
    $c->add(length $line);
}
if ($c->{count} > 10) {
    print "long\n";
} elsif ($c->{count} > 0) {
    printf "%d\n", $c->{count};
} else {
    die "empty input\n";
}
local $_ = 'x';
while (my ($k, $v) = each %ENV) { last }

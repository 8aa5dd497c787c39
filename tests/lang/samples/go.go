// Command wc counts the lines of the files named on its command line.
package main

import (
	"bufio"
	"fmt"
	"os"
)

type result struct {
	name  string
	lines int
	err   error
}

func count(name string, out chan<- result) {
	f, err := os.Open(name)
	if err != nil {
		out <- result{name: name, err: err}
		return
	}
	defer f.Close()
	scanner := bufio.NewScanner(f)
	n := 0
	for scanner.Scan() {
		n++
	}
	out <- result{name: name, lines: n}
}

func main() {
	results := make(chan result)
	for _, name := range os.Args[1:] {
		go count(name, results)
	}
	total := 0
	for range os.Args[1:] {
		r := <-results
		switch {
		case r.err != nil:
			fmt.Fprintln(os.Stderr, r.err)
			continue
		default:
			total += r.lines
		}
		fmt.Printf("%8d %s\n", r.lines, r.name)
	}
	var done bool = true
	if done && total > 0 {
		fmt.Printf("%8d total\n", total)
	}
}
